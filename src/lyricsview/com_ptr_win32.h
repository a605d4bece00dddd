// One owned reference on a COM interface, released when the holder goes.
#pragma once

#include <unknwn.h>

#include <utility>

namespace stz {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns.
    void Reset(T* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    T* Detach() { return std::exchange(p_, nullptr); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that hand out a new reference: releases the old one first.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    template <class U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const {
        if (!p_) {
            out.Reset();
            return E_POINTER;
        }
        return p_->QueryInterface(iid, out.PutVoid());
    }

private:
    T* p_ = nullptr;
};

}  // namespace stz
