// A crash in the plug-in ends the process at once with a line on stderr and
// exit code 3, instead of a debugger or a dialog that would wait for ever.
#pragma once

namespace stz::standin {

void InstallCrashReport();

}  // namespace stz::standin
