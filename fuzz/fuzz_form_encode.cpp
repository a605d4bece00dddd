// UTF-16 to UTF-8 and form encoding over arbitrary code units (pairs of
// input bytes, little-endian).
//
// Checked: the UTF-8 is well formed and decodes to the input's code points,
// with each unpaired surrogate as U+FFFD; the form value holds only 0-9,
// A-Z, a-z and %XX with uppercase hex, and decodes back to the UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "service/form_encode.h"
#include "service/text_encoding.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The code points the text stands for, pairing surrogates on its own terms.
std::vector<char32_t> CodePointsOf(const std::u16string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

// Strict UTF-8 decoding: shortest forms only, no surrogates, nothing past U+10FFFF.
std::vector<char32_t> DecodeUtf8(const std::string& bytes) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
        }
        Check(length != 0 && i + length <= bytes.size());
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            Check((next & 0xC0) == 0x80);
            cp = (cp << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        Check(cp >= kSmallest[length] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp < 0xE000));
        out.push_back(cp);
        i += length;
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lowercase hex is not allowed either
}

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }

    const std::string utf8 = stz::Utf16ToUtf8(text);
    Check(utf8.size() <= 3 * text.size());
    Check(DecodeUtf8(utf8) == CodePointsOf(text));

    const std::string encoded = stz::FormEncode(text);
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%') {
            Check(i + 2 < encoded.size());
            const int high = HexValue(encoded[i + 1]);
            const int low = HexValue(encoded[i + 2]);
            Check(high >= 0 && low >= 0);
            const auto byte = static_cast<char>(high * 16 + low);
            Check(!IsAlnum(byte));  // letters and digits are never escaped
            decoded += byte;
            i += 2;
        } else {
            Check(IsAlnum(encoded[i]));
            decoded += encoded[i];
        }
    }
    Check(decoded == utf8);
    return 0;
}
