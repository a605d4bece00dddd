#include "service/installation_identity_win32.h"

#include <windows.h>

#include <time.h>

#include <optional>
#include <utility>

#include "service/identity_seed.h"

namespace stz {
namespace {

constexpr char kProductKey[] = "Software\\Stanzascopium";
constexpr char kIdentityValue[] = "DebugKey";
constexpr char kOtherProductKey[] = "Software\\Vandrel";
constexpr size_t kIdentityLength = 32;
constexpr DWORD kValueArea = 1024;  // the largest stored value that is read at all

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY Get() const { return key_; }
    HKEY* Receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// Opens the product's key, creating it when it does not exist yet.
bool OpenProductKey(RegistryKey& key, REGSAM access) {
    return RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0 /* reserved */, nullptr /* class */,
                           0 /* options */, access, nullptr /* security */, key.Receive(),
                           nullptr /* disposition */) == ERROR_SUCCESS;
}

// The stored value's text; empty when it is missing, not REG_SZ or larger
// than the area. nullopt when the key cannot be opened at all.
std::optional<std::string> ReadStoredIdentity() {
    RegistryKey key;
    if (!OpenProductKey(key, KEY_READ)) return std::nullopt;
    // One byte more than the size given: a value that fills the area without
    // its own terminator is still terminated.
    char area[kValueArea + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = kValueArea;
    const LONG status = RegQueryValueExA(key.Get(), kIdentityValue, nullptr /* reserved */, &type,
                                         reinterpret_cast<BYTE*>(area), &size);
    // ERROR_MORE_DATA (too large) and a value of another type count as absent.
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::string();
    return std::string(area);  // up to the first zero byte
}

void StoreIdentity(const std::string& identity) {
    RegistryKey key;
    if (!OpenProductKey(key, KEY_WRITE)) return;  // used for this run only
    // The 32 characters and their terminator: 33 bytes.
    RegSetValueExA(key.Get(), kIdentityValue, 0 /* reserved */, REG_SZ,
                   reinterpret_cast<const BYTE*>(identity.c_str()),
                   static_cast<DWORD>(identity.size() + 1));
}

std::string ComputerName() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return std::string();
    return std::string(name);
}

int32_t OtherProductPresent() {
    RegistryKey key;
    const LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, kOtherProductKey, 0 /* options */,
                                      KEY_READ, key.Receive());
    return status == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace

InstallationIdentity ReadInstallationIdentity(const std::string& heldId) {
    InstallationIdentity result;
    result.installId = ReadStoredIdentity().value_or(heldId);
    if (result.installId.size() != kIdentityLength) {
        result.installId = NewInstallationIdentity(ComputerName(), _time64(nullptr));
        StoreIdentity(result.installId);
    }
    result.otherProductPresent = OtherProductPresent();
    return result;
}

int LoadInstallationIdentity(ServiceSession& session) {
    InstallationIdentity identity = ReadInstallationIdentity(session.installId);
    session.installId = std::move(identity.installId);
    session.otherProductPresent = identity.otherProductPresent;
    return 0;
}

}  // namespace stz
