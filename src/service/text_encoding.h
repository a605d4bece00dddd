// The player's UTF-16 texts to the UTF-8 bytes that go on the wire.
#pragma once

#include <string>
#include <string_view>

namespace stz {

// UTF-8 of the whole text, no byte-order mark and no terminator; the same
// bytes as the system's UTF-8 conversion for well-formed text. An unpaired
// surrogate becomes U+FFFD (EF BF BD); a zero unit becomes a zero byte.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace stz
