// Form values for "application/x-www-form-urlencoded" bodies, stricter than
// the usual encoding: only 0-9, A-Z and a-z stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace stz {

// The text's UTF-8 bytes with every byte other than an ASCII letter or digit
// written as "%" and two uppercase hex digits (a blank is %20, never "+").
// The whole text is encoded, however long.
std::string FormEncode(std::u16string_view text);

}  // namespace stz
