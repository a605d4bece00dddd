#include "service/decimal.h"

#include <charconv>

namespace stz {

std::string DecimalText(int64_t value) {
    char digits[24];  // 19 digits and a sign at most
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

}  // namespace stz
