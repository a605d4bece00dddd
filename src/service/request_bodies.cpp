#include "service/request_bodies.h"

#include <cstdint>
#include <utility>

#include "service/decimal.h"
#include "service/form_encode.h"
#include "service/signature.h"

namespace stz {
namespace {

// A line goes out up to its first zero byte; a body must hold none, or its
// Content-Length would not match what is sent.
std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

class FormBody {
public:
    FormBody& Raw(std::string_view name, std::string_view value) {
        Name(name);
        text_ += UpToZero(value);
        return *this;
    }
    FormBody& Encoded(std::string_view name, std::u16string_view value) {
        Name(name);
        text_ += FormEncode(value);
        return *this;
    }
    FormBody& Number(std::string_view name, int64_t value) {
        Name(name);
        text_ += DecimalText(value);
        return *this;
    }
    std::string Take() { return std::move(text_); }

private:
    void Name(std::string_view name) {
        if (!text_.empty()) {
            text_ += '&';
        }
        text_ += name;
        text_ += '=';
    }
    std::string text_;
};

}  // namespace

std::string BuildSessionBody(const ServiceSession& session) {
    return FormBody()
        .Raw("sid", session.installId)
        .Raw("i", session.clientCode)
        .Raw("v", session.hostVersion)
        .Number("m", session.otherProductPresent)
        .Take();
}

std::string BuildStatusBody(const ServiceSession& session, const CurrentTrack& track) {
    return FormBody()
        .Raw("sid", session.installId)
        .Raw("pid", ComputeRequestSignature(track, session))
        .Encoded("a", track.artist)
        .Encoded("t", track.title)
        .Encoded("b", track.album)
        .Number("p", track.playing)
        .Number("l", track.lengthSeconds)
        .Number("i", track.startTime)
        .Number("m", session.otherProductPresent)
        .Take();
}

std::string BuildSubmissionBody(const ServiceSession& session, const CurrentTrack& track) {
    return FormBody()
        .Raw("sid", session.installId)
        .Raw("pid", ComputeRequestSignature(track, session))
        .Encoded("a", track.artist)
        .Encoded("t", track.title)
        .Encoded("b", track.album)
        .Number("n", track.trackNumber)
        .Number("y", track.year)
        .Number("l", track.lengthSeconds)
        .Number("i", track.startTime)
        .Number("m", session.otherProductPresent)
        .Take();
}

std::string BuildLyricsPageBody(const CurrentTrack& track, const ServiceSession& session) {
    return FormBody()
        .Encoded("a", track.artist)
        .Encoded("t", track.title)
        .Number("i", track.startTime)
        .Raw("pid", ComputeRequestSignature(track, session))
        .Raw("sid", session.installId)
        .Take();
}

bool HasReportableTrack(const CurrentTrack& track) {
    return (!track.artist.empty() || !track.title.empty()) && track.reportable == 1;
}

std::array<std::string, 7> FrameFormRequest(std::string_view requestLine, std::string_view body) {
    std::string lengthLine(kContentLengthPrefix);
    lengthLine += DecimalText(static_cast<int64_t>(body.size()));
    return {
        std::string(requestLine),
        std::string(kUserAgentLine),
        std::string(kContentTypeLine),
        std::move(lengthLine),
        std::string(),
        std::string(body),
        std::string(),
    };
}

}  // namespace stz
