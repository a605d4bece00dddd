// MD5 hex digests from the system's own cryptographic provider: an
// implementation independent of the plug-in's, so that the service's
// signature check is a real check.
#pragma once

#include <string>
#include <string_view>

namespace stz::standin {

// 32 lowercase hexadecimal characters; empty if the provider failed.
std::string SystemMd5Hex(std::string_view bytes);

}  // namespace stz::standin
