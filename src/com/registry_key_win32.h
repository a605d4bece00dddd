// One open registry key, closed when the holder goes.
#pragma once

#include <windows.h>

#include <utility>

namespace stz {

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.key_, nullptr));
        return *this;
    }
    ~RegistryKey() { Reset(); }

    void Reset(HKEY key = nullptr) {
        if (key_) RegCloseKey(key_);
        key_ = key;
    }
    HKEY Get() const { return key_; }
    // For calls that open a key into an out-parameter.
    HKEY* Put() {
        Reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

}  // namespace stz
