#include "host/host_version.h"

#include <charconv>

namespace stz {

std::string FormatHostVersion(uint8_t byte10, uint8_t byte11) {
    char text[8];  // "255.15" at most
    char* end = std::to_chars(text, text + sizeof text, unsigned{byte11}).ptr;
    *end++ = '.';
    end = std::to_chars(end, text + sizeof text, unsigned{byte10} >> 4).ptr;
    return std::string(text, end);
}

}  // namespace stz
