// The automation conventions for the settings properties: booleans are
// VARIANT_TRUE or VARIANT_FALSE on the way out and true only for exactly
// VARIANT_TRUE on the way in; strings go out as new BSTRs (null when empty) and
// come in up to their first NUL.
#pragma once
#include <windows.h>

#include <oleauto.h>

#include "filter/settings/setting_value.h"

namespace tl {

HRESULT GetBoolProperty(const SettingValue<bool>& field, VARIANT_BOOL* out);
void PutBoolProperty(SettingValue<bool>& field, VARIANT_BOOL value);

// E_OUTOFMEMORY when the copy cannot be allocated.
HRESULT GetStringProperty(const SettingString& field, BSTR* out);
HRESULT PutStringProperty(SettingString& field, BSTR value);

}  // namespace tl
