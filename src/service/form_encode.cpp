#include "service/form_encode.h"

#include "service/text_encoding.h"

namespace stz {
namespace {

bool IsKept(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

}  // namespace

std::string FormEncode(std::u16string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = Utf16ToUtf8(text);
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsKept(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

}  // namespace stz
