// The module object of the COM server: the lock count that DllCanUnloadNow
// reads, the process's global interface table (made on first use), the
// replacements that registration scripts may use, and clean-up at unload.
//
// One instance per process, `ComModule()`. It is usable from the moment the
// DLL is loaded; the entry point calls InitializeComModule at process attach
// and ShutdownComModule at detach.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

#include "com/registrar_script.h"

namespace stz {

class Citw_stanzascopiumModule {
public:
    using CleanupFunction = void (*)(void* context);
    static constexpr int kMaxCleanups = 8;

    constexpr Citw_stanzascopiumModule() = default;
    Citw_stanzascopiumModule(const Citw_stanzascopiumModule&) = delete;
    Citw_stanzascopiumModule& operator=(const Citw_stanzascopiumModule&) = delete;

    bool Initialize(HINSTANCE instance);
    // Runs the clean-up functions (last added first) and releases the
    // global interface table. When the process is ending, other DLLs may
    // already be gone: then nothing is called into and nothing released.
    void Shutdown(bool processTerminating);

    // The DLL's own module, whether or not Initialize has run.
    HINSTANCE Instance() const;

    // Interlocked: hosted controls may count from any thread.
    long Lock();
    long Unlock();
    long LockCount() const;

    // A new reference on the process's global interface table, made on
    // first use and kept until unload. E_POINTER for a null out-pointer.
    HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable** out);

    // False when the table of clean-up functions is full.
    bool AddCleanup(CleanupFunction function, void* context);

    // The replacements every registration script of the module may use:
    // APPID, the AppID in braces; Module, the DLL's path with quotes
    // doubled for use inside quotes; Module_Raw, the path as it is.
    // `modulePath` (UTF-8) must outlive the returned views.
    std::vector<RegistrarReplacement> CommonReplacements(const std::string& modulePath,
                                                         std::string& quotedModulePath) const;

private:
    struct Cleanup {
        CleanupFunction function = nullptr;
        void* context = nullptr;
    };

    LONG lockCount_ = 0;  // changed only by interlocked operations
    HINSTANCE instance_ = nullptr;
    SRWLOCK lock_ = SRWLOCK_INIT;  // guards the members below
    IGlobalInterfaceTable* globalInterfaceTable_ = nullptr;
    Cleanup cleanups_[kMaxCleanups] = {};
    int cleanupCount_ = 0;
};

Citw_stanzascopiumModule& ComModule();

// For the DLL's entry point. InitializeComModule answers false when the
// module's set-up failed, and the DLL should then refuse to load.
bool InitializeComModule(HINSTANCE instance);
void ShutdownComModule(bool processTerminating);

}  // namespace stz
