#include "filter/com/variant.h"

#include <utility>

#include "filter/com/hresult_error.h"

namespace tl::com {

Variant::Variant(const VARIANT& source) {
    VariantInit(&v_);
    ThrowIfFailed(VariantCopy(&v_, const_cast<VARIANT*>(&source)));
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) *this = Variant(other);
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
    }
    return *this;
}

VARIANT* Variant::Out() {
    VariantClear(&v_);
    return &v_;
}

HRESULT Variant::CopyTo(VARIANT* out) const {
    if (!out) return E_POINTER;
    VariantInit(out);
    return VariantCopy(out, const_cast<VARIANT*>(&v_));
}

void Variant::Detach(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
}

}  // namespace tl::com
