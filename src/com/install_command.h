// The command line that DllInstall receives (regsvr32 /i:text) chooses
// between registration for the whole machine and for the current user.
#pragma once

namespace stz {

// True exactly for "user" in any case. The comparison runs over five
// characters, the terminating zero included, so "users" and "user " are
// not it; a null command line is not it either. Reads no character past
// the first zero.
bool IsPerUserInstallCommand(const char16_t* commandLine);

}  // namespace stz
