// An owned VARIANT: cleared on destruction, deep-copied on copy.
#pragma once
#include <windows.h>

#include <oleauto.h>

namespace tl::com {

class Variant {
public:
    Variant() { VariantInit(&v_); }
    // Deep copy; raises HResultError when the copy fails.
    explicit Variant(const VARIANT& source);
    Variant(const Variant& other) : Variant(other.v_) {}
    Variant(Variant&& other) noexcept;
    ~Variant() { VariantClear(&v_); }
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;

    // Clears what is held and gives the address to receive a new value.
    VARIANT* Out();
    // Deep-copies the value into a caller's VARIANT, which is overwritten, not cleared.
    HRESULT CopyTo(VARIANT* out) const;
    // Hands the value to a caller's VARIANT, leaving this one empty.
    void Detach(VARIANT* out);

    const VARIANT& Get() const { return v_; }
    VARTYPE Type() const { return v_.vt; }

private:
    VARIANT v_;
};

}  // namespace tl::com
