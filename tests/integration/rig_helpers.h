// Songs and steps that the service-client tests share.
#pragma once

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "host_codes.h"
#include "host_records.h"
#include "test_rig_win32.h"

namespace stz::standin {

inline TrackInfo Song(std::u16string artist, std::u16string title, uint32_t lengthMs, uint32_t reportWord = 0) {
    TrackInfo track;
    track.artist = std::move(artist);
    track.title = std::move(title);
    track.album = u"Album";
    track.trackNumber = 7;
    track.year = 1999;
    track.lengthMs = lengthMs;
    track.reportWord = reportWord;
    return track;
}

// Init (version bytes 9, 0x21) and enable; waits for the handshake and for
// the plug-in's poll timer to have seen it.
inline bool StartSession(TestRig& rig) {
    rig.player.Init(9, 0x21);
    rig.player.Enable();
    const bool answered = rig.service.WaitUntil(
        [](const std::vector<ReceivedRequest>& requests) {
            for (const auto& r : requests) {
                if (r.path == kSessionPath && r.answeredMs >= 0) return true;
            }
            return false;
        },
        20000);
    rig.player.PumpFor(400);
    return answered;
}

// Requests of one path that arrived after `sinceMs` on the timeline.
inline std::vector<ReceivedRequest> RequestsSince(const TestRig& rig, std::string_view path, double sinceMs) {
    std::vector<ReceivedRequest> found;
    for (auto& r : rig.service.Requests(path)) {
        if (r.arrivalMs >= sinceMs) found.push_back(std::move(r));
    }
    return found;
}

inline int64_t UnixNow() { return int64_t(std::time(nullptr)); }

}  // namespace stz::standin
