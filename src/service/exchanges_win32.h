// The three requests to the service: the session handshake, the now-playing
// status report and the play submission. Each works on copies of the shared
// records (taken by the caller under the plug-in's lock), builds its body
// completely, then opens a connection of its own, sends, reads and closes it,
// with no lock held. Each holds its own Winsock reference while it runs.
#pragma once

#include <cstdint>
#include <string>

#include "service/endpoint_win32.h"
#include "service/service_session.h"
#include "service/transport_win32.h"
#include "tracking/current_track.h"

namespace stz {

// Result codes of an exchange. No caller acts on them; tests do.
inline constexpr int kExchangeDone = 0;        // sent; the reply read as far as needed
inline constexpr int kExchangeNothingToSend = 1;
inline constexpr int kExchangeNoConnection = 2;

// Posts the session form (sid, i, v, m) from `session` and reads the token.
// Returns the new session key: the MD5 hex of a 32-character token, or empty
// when there is no session. `code`, when given, receives kExchangeDone or
// kExchangeNoConnection. The caller empties its session key under the lock
// before the call and stores the returned key under the lock after it.
std::string PerformSessionHandshake(const ServiceSession& session, const ServiceEndpoint& endpoint,
                                    const TransportLimits& limits, int* code = nullptr);

// 0 sent; 1 nothing to send (neither artist nor title, or not reportable);
// 2 no connection.
int SendStatusReport(const ServiceSession& session, const CurrentTrack& track,
                     const ServiceEndpoint& endpoint, const TransportLimits& limits);

// As SendStatusReport, with the submission's path and fields.
int SubmitPlay(const ServiceSession& session, const CurrentTrack& track,
               const ServiceEndpoint& endpoint, const TransportLimits& limits);

}  // namespace stz
