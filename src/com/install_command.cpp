#include "com/install_command.h"

namespace stz {

bool IsPerUserInstallCommand(const char16_t* commandLine) {
    if (!commandLine) return false;
    constexpr char16_t kUser[] = u"user";  // with its zero: five characters
    for (int i = 0; i < 5; ++i) {
        char16_t c = commandLine[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kUser[i]) return false;  // stops at the caller's zero at the latest
    }
    return true;
}

}  // namespace stz
