#include "com/com_module_win32.h"

#include "com/com_ids.h"
#include "com/module_lock.h"

namespace stz {
namespace {

constinit Citw_stanzascopiumModule theModule;

// The standard global interface table: class and interface.
constexpr CLSID kStdGlobalInterfaceTable = {0x00000323, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIGlobalInterfaceTable = {0x00000146, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class ModuleLockGuard {
public:
    explicit ModuleLockGuard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ModuleLockGuard() { ReleaseSRWLockExclusive(&lock_); }
    ModuleLockGuard(const ModuleLockGuard&) = delete;
    ModuleLockGuard& operator=(const ModuleLockGuard&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

bool Citw_stanzascopiumModule::Initialize(HINSTANCE instance) {
    // Nothing here can fail: the lock needs no set-up and the global
    // interface table is made on first use.
    ModuleLockGuard guard(lock_);
    instance_ = instance;
    return true;
}

void Citw_stanzascopiumModule::Shutdown(bool processTerminating) {
    Cleanup cleanups[kMaxCleanups];
    int count = 0;
    IGlobalInterfaceTable* table = nullptr;
    {
        ModuleLockGuard guard(lock_);
        count = cleanupCount_;
        for (int i = 0; i < count; ++i) cleanups[i] = cleanups_[i];
        cleanupCount_ = 0;
        table = globalInterfaceTable_;
        globalInterfaceTable_ = nullptr;
    }
    if (processTerminating) return;
    // Called with no lock held, so that a clean-up may use the module.
    for (int i = count - 1; i >= 0; --i) cleanups[i].function(cleanups[i].context);
    if (table) table->Release();
}

HINSTANCE Citw_stanzascopiumModule::Instance() const {
    if (instance_) return instance_;
    // Before the entry point has told us: the module that holds this code.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&theModule), &module);
    return module;
}

long Citw_stanzascopiumModule::Lock() { return InterlockedIncrement(&lockCount_); }

long Citw_stanzascopiumModule::Unlock() { return InterlockedDecrement(&lockCount_); }

long Citw_stanzascopiumModule::LockCount() const {
    return InterlockedCompareExchange(const_cast<LONG*>(&lockCount_), 0, 0);
}

HRESULT Citw_stanzascopiumModule::GetGlobalInterfaceTable(IGlobalInterfaceTable** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ModuleLockGuard guard(lock_);
    if (!globalInterfaceTable_) {
        const HRESULT hr = CoCreateInstance(kStdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                            kIGlobalInterfaceTable,
                                            reinterpret_cast<void**>(&globalInterfaceTable_));
        if (FAILED(hr)) {
            globalInterfaceTable_ = nullptr;
            return hr;
        }
    }
    globalInterfaceTable_->AddRef();
    *out = globalInterfaceTable_;
    return S_OK;
}

bool Citw_stanzascopiumModule::AddCleanup(CleanupFunction function, void* context) {
    if (!function) return false;
    ModuleLockGuard guard(lock_);
    if (cleanupCount_ == kMaxCleanups) return false;
    cleanups_[cleanupCount_++] = {function, context};
    return true;
}

std::vector<RegistrarReplacement> Citw_stanzascopiumModule::CommonReplacements(
    const std::string& modulePath, std::string& quotedModulePath) const {
    quotedModulePath.clear();
    for (const char c : modulePath) {
        quotedModulePath.push_back(c);
        if (c == '\'') quotedModulePath.push_back('\'');
    }
    return {
        {"APPID", STZ_APPID_TEXT},
        {"Module", quotedModulePath},
        {"Module_Raw", modulePath},
    };
}

Citw_stanzascopiumModule& ComModule() { return theModule; }

bool InitializeComModule(HINSTANCE instance) { return theModule.Initialize(instance); }

void ShutdownComModule(bool processTerminating) { theModule.Shutdown(processTerminating); }

long LockModule() { return theModule.Lock(); }
long UnlockModule() { return theModule.Unlock(); }
long ModuleLockCount() { return theModule.LockCount(); }

}  // namespace stz
