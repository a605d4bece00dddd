#include "service/signature.h"

#include <string_view>

#include "service/decimal.h"
#include "service/md5.h"
#include "service/text_encoding.h"

namespace stz {

std::string ComputeRequestSignature(const CurrentTrack& track, const ServiceSession& session) {
    const std::string timeDigest = Md5Hex(DecimalText(track.startTime));
    const std::string sessionDigest = Md5Hex(session.sessionKey);
    const std::string artist = Utf16ToUtf8(track.artist);
    const std::string title = Utf16ToUtf8(track.title);
    const std::string_view time = timeDigest;
    const std::string_view sess = sessionDigest;

    // Characters 24-31 of the time digest take no part.
    const std::string_view pieces[] = {
        time.substr(0, 4),  sess.substr(0, 16), time.substr(8, 4),   artist,
        time.substr(16, 4), title,              time.substr(20, 4),  session.installId,
        time.substr(12, 4), sess.substr(16, 16), time.substr(4, 4),
    };

    std::string text;
    text.reserve(96 + artist.size() + title.size() + session.installId.size());
    for (const std::string_view piece : pieces) {
        text += piece;
        text += '|';
    }
    text.pop_back();  // ten separators: none after the last piece
    return Md5Hex(text);
}

}  // namespace stz
