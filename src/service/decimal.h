// Numbers on the wire: plain ASCII decimal, no leading zeros, no grouping,
// a minus sign only for negative values.
#pragma once

#include <cstdint>
#include <string>

namespace stz {

std::string DecimalText(int64_t value);

}  // namespace stz
