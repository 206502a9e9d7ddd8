#include "filter/settings/setting_properties.h"

#include "filter/com/bstr.h"
#include "filter/com/hresult_error.h"

namespace tl {

HRESULT GetBoolProperty(const SettingValue<bool>& field, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = field.Get() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

void PutBoolProperty(SettingValue<bool>& field, VARIANT_BOOL value) { field.Set(value == VARIANT_TRUE); }

HRESULT GetStringProperty(const SettingString& field, BSTR* out) {
    return com::ReturnString(*field.Get(), out);
}

HRESULT PutStringProperty(SettingString& field, BSTR value) {
    return com::Guarded([&] {
        field.Set(com::ToString(value));
        return S_OK;
    });
}

}  // namespace tl
