#include "crash_report_win32.h"

#include <windows.h>

#include <cstdio>

namespace stz::standin {
namespace {

LONG WINAPI ReportAndExit(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info != nullptr ? info->ExceptionRecord : nullptr;
    std::fprintf(stderr, "stand-in: unhandled exception 0x%08lX at %p\n",
                 record != nullptr ? static_cast<unsigned long>(record->ExceptionCode) : 0ul,
                 record != nullptr ? record->ExceptionAddress : nullptr);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallCrashReport() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ReportAndExit);
}

}  // namespace stz::standin
