#include "signature_check_win32.h"

#include <iterator>

#include "md5_win32.h"

namespace stz::standin {
namespace {

const std::string* Find(const FormFields& fields, std::string_view name) {
    for (const auto& [key, value] : fields) {
        if (key == name) return &value;
    }
    return nullptr;
}

}  // namespace

const char* SignatureCheckText(SignatureCheck check) {
    switch (check) {
        case SignatureCheck::Absent: return "no signature";
        case SignatureCheck::Session: return "signature verified";
        case SignatureCheck::NoSession: return "signature verified (empty session key)";
        case SignatureCheck::Bad: return "SIGNATURE WRONG";
    }
    return "?";
}

std::string ExpectedSignature(std::string_view startTime, std::string_view sessionKey,
                              std::string_view artist, std::string_view title,
                              std::string_view installId) {
    const std::string time = SystemMd5Hex(startTime);
    const std::string session = SystemMd5Hex(sessionKey);
    if (time.size() != 32 || session.size() != 32) return {};
    const std::string_view t(time);
    const std::string_view s(session);
    const std::string_view pieces[] = {t.substr(0, 4),  s.substr(0, 16), t.substr(8, 4),
                                       artist,          t.substr(16, 4), title,
                                       t.substr(20, 4), installId,       t.substr(12, 4),
                                       s.substr(16, 16), t.substr(4, 4)};
    std::string text;
    for (size_t i = 0; i < std::size(pieces); ++i) {
        if (i > 0) text += '|';
        text += pieces[i];
    }
    return SystemMd5Hex(text);
}

SignatureCheck CheckSignature(const FormFields& fields, const std::vector<std::string>& sessionKeys) {
    const std::string* pid = Find(fields, "pid");
    if (pid == nullptr) return SignatureCheck::Absent;
    static const std::string kEmpty;
    auto field = [&](std::string_view name) -> const std::string& {
        const std::string* value = Find(fields, name);
        return value != nullptr ? *value : kEmpty;
    };
    for (const std::string& key : sessionKeys) {
        if (*pid == ExpectedSignature(field("i"), key, field("a"), field("t"), field("sid"))) {
            return SignatureCheck::Session;
        }
    }
    if (*pid == ExpectedSignature(field("i"), "", field("a"), field("t"), field("sid"))) {
        return SignatureCheck::NoSession;
    }
    return SignatureCheck::Bad;
}

}  // namespace stz::standin
