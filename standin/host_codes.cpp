#include "host_codes.h"

namespace stz::standin {

std::string FourCcText(uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            static const char kHex[] = "0123456789ABCDEF";
            std::string hex = "0x";
            for (int s = 28; s >= 0; s -= 4) hex += kHex[(code >> s) & 0xF];
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

}  // namespace stz::standin
