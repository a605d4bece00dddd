#include "tracking/workers_win32.h"

#include <windows.h>
#include <process.h>

#include <memory>

namespace stz {
namespace {

struct WorkerStart {
    std::function<void()> work;
    HMODULE module;
};

unsigned __stdcall WorkerThread(void* argument) {
    HMODULE module = nullptr;
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
        module = start->module;
        try {
            start->work();
        } catch (...) {
            // A failed request is dropped; nothing may escape into the player.
        }
    }
    // Drops this thread's module reference and ends the thread without
    // returning into code that the release may just have unmapped.
    FreeLibraryAndExitThread(module, 0);
}

}  // namespace

bool StartWorker(std::function<void()> work) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&WorkerThread), &module)) {
        return false;
    }
    auto* start = new (std::nothrow) WorkerStart{std::move(work), module};
    if (!start) {
        FreeLibrary(module);
        return false;
    }
    uintptr_t thread = _beginthreadex(nullptr, /*stack*/ 0, WorkerThread, start, 0, nullptr);
    if (thread == 0) {
        delete start;
        FreeLibrary(module);
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

}  // namespace stz
