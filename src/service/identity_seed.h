// A new installation identity: the MD5 hex of the computer's name and the
// current time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stz {

// The name up to its first zero byte, "|", the time in decimal:
// "MYPC|1700000000".
std::string MakeIdentitySeed(std::string_view computerName, int64_t now);
// Md5Hex of the seed: 32 lowercase hex digits.
std::string NewInstallationIdentity(std::string_view computerName, int64_t now);

}  // namespace stz
