// The "pid" value every status report, play submission and lyrics page
// request carries.
#pragma once

#include <string>

#include "service/service_session.h"
#include "tracking/current_track.h"

namespace stz {

// MD5 hex of eleven pieces joined by "|": slices of the MD5 hex of the start
// time and of the session key, interleaved with the artist and title (raw
// UTF-8) and the installation identity. Pure; needs no valid session. The
// caller hands in one consistent copy of both records.
std::string ComputeRequestSignature(const CurrentTrack& track, const ServiceSession& session);

}  // namespace stz
