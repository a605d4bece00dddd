#include "service/identity_seed.h"

#include "service/decimal.h"
#include "service/md5.h"

namespace stz {

std::string MakeIdentitySeed(std::string_view computerName, int64_t now) {
    std::string seed(computerName.substr(0, computerName.find('\0')));
    seed += '|';
    seed += DecimalText(now);
    return seed;
}

std::string NewInstallationIdentity(std::string_view computerName, int64_t now) {
    return Md5Hex(MakeIdentitySeed(computerName, now));
}

}  // namespace stz
