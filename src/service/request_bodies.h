// What the plug-in sends: the form bodies of the three socket requests and
// of the lyrics page, and the seven lines that frame a socket request.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "service/service_session.h"
#include "tracking/current_track.h"

namespace stz {

inline constexpr std::string_view kSessionRequestLine = "POST /plugin/session.php HTTP/1.0";
inline constexpr std::string_view kStatusRequestLine = "POST /plugin/status.php HTTP/1.0";
inline constexpr std::string_view kSubmissionRequestLine = "POST /plugin/submit.php HTTP/1.0";
inline constexpr std::string_view kUserAgentLine = "User-Agent: Stanzascopium/0.4 (iTunes build)";
inline constexpr std::string_view kContentTypeLine = "Content-Type: application/x-www-form-urlencoded";
inline constexpr std::string_view kContentLengthPrefix = "Content-Length: ";
inline constexpr std::string_view kLyricsPagePath = "/plugin/0.4/itunes/plugin.php";
// The browser control adds these to the page's POST; each line ends in CR LF.
inline constexpr std::string_view kLyricsPageHeaders =
    "User-Agent: Stanzascopium/0.4 (iTunes build)\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n";

// Fields are joined by "&" in a fixed order, nothing before the first and
// nothing after the last. Texts the plug-in makes itself (identity, client
// code, version, signature) go out as they are, cut at a zero byte should
// one ever stand in them; the player's texts are form-encoded.

// sid, i, v, m
std::string BuildSessionBody(const ServiceSession& session);
// sid, pid, a, t, b, p, l, i, m
std::string BuildStatusBody(const ServiceSession& session, const CurrentTrack& track);
// sid, pid, a, t, b, n, y, l, i, m
std::string BuildSubmissionBody(const ServiceSession& session, const CurrentTrack& track);
// a, t, i, pid, sid
std::string BuildLyricsPageBody(const CurrentTrack& track, const ServiceSession& session);

// A status report or submission is sent only for a track with an artist or a
// title that the player allows to be reported.
bool HasReportableTrack(const CurrentTrack& track);

// The seven lines of a form POST, without their line ends: request line,
// user agent, content type, "Content-Length: N" (N counts the body alone),
// the empty line, the body, the empty line. The transport sends each line
// followed by a single LF.
std::array<std::string, 7> FrameFormRequest(std::string_view requestLine, std::string_view body);

}  // namespace stz
