// The track and session that the signature and body tests share; the same
// values stand in wire_values.py, which computes the expected wire bytes.
#pragma once

#include "service/service_session.h"
#include "tracking/current_track.h"

namespace stz::test {

// python3 tests/unit/wire_values.py key  (MD5 hex of the token 0123456789abcdef0123456789abcdef)
inline constexpr const char* kFixtureKey = "8516ac99dc60603295de7bdb6a153530";
// python3 tests/unit/wire_values.py sid  (MD5 hex of "MYPC|1700000000")
inline constexpr const char* kFixtureSid = "b56e411a9c925b9c67ef17d94baad6b8";

inline ServiceSession FixtureSession() {
    ServiceSession session;
    session.sessionKey = kFixtureKey;
    session.installId = kFixtureSid;
    session.clientCode = "itw";
    session.hostVersion = "9.2";
    session.otherProductPresent = 0;
    return session;
}

inline CurrentTrack FixtureTrack() {
    CurrentTrack track;
    track.artist = u"AC/DC";
    track.title = u"Back in Black";
    track.album = u"Back in Black";
    track.trackNumber = 6;
    track.year = 1980;
    track.lengthSeconds = 255;
    track.startTime = 1700000123;
    track.creditCountdown = 127;
    track.reportable = 1;
    track.playing = 1;
    return track;
}

}  // namespace stz::test
