// An owning interface pointer: releases on destruction, adds a reference on copy.
#pragma once
#include <windows.h>

#include <unknwn.h>

#include <utility>

namespace tl::com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }

    // Adopts p without adding a reference.
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    T* Detach() { return std::exchange(p_, nullptr); }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Releases what is held and gives the address to receive a new reference.
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

    template <class U>
    HRESULT As(ComPtr<U>* out) const {
        return p_ ? p_->QueryInterface(__uuidof(U), out->OutVoid()) : E_POINTER;
    }

    // Gives a new reference to the caller's out-pointer.
    void CopyTo(T** out) const {
        if (p_) p_->AddRef();
        *out = p_;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

private:
    T* p_ = nullptr;
};

}  // namespace tl::com
