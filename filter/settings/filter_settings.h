// The filter's user-tunable behaviour, loaded from the current user's registry
// when a filter is created and written back only on request.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "engine/framework/deinterlace.h"
#include "filter/settings/setting_value.h"

namespace tl {

// Below HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\Kelmarin Systems GmbH\\Video Decoder";

// Fields carry their registry value names.
struct FilterSettings {
    SettingValue<std::uint32_t> dwDeliverBufferCount;
    SettingValue<bool> bUseHadwareAcceleratedDeinterlace;
    SettingValue<bool> bColorCorrection;
    SettingValue<bool> bDirectXVA;
    SettingValue<std::int32_t> nDefaultWidth;
    SettingValue<std::int32_t> nDefaultHeight;
    SettingValue<bool> bFrameSkipping;
    SettingValue<std::uint32_t> dwFrameSkippingTolerance;
    SettingValue<bool> bCPUFeatureSSE;
    SettingValue<bool> bCPUFeatureSSE2;
    SettingValue<bool> bCPUFeatureSSE3;
    SettingValue<bool> bAlwaysDeinterlace;
    SettingValue<Deinterlace> eDeinterlace;
    SettingValue<std::uint32_t> dwDXVAMaxNumSurfaces;
    SettingString szOutTypesPriority;
    SettingString szOutTypesPriorityHW;
    SettingString szOutTypesPriorityDXVA;
    SettingValue<std::uint32_t> nAspectRatioX;
    SettingValue<std::uint32_t> nAspectRatioY;
    SettingValue<bool> bMaintainAspectRatio;
    SettingString szOutputConnectionAllowList;
    SettingString szOutputConnectionDenyList;
    SettingValue<bool> bErrorConcealment;
};

// Which field a setting is; the alternative says how it is held in memory.
using SettingField = std::variant<SettingValue<std::uint32_t> FilterSettings::*,
                                  SettingValue<std::int32_t> FilterSettings::*,
                                  SettingValue<bool> FilterSettings::*,
                                  SettingValue<Deinterlace> FilterSettings::*,
                                  SettingString FilterSettings::*>;

struct SettingDescriptor {
    const wchar_t* registryName;
    SettingField field;
    // Numbers and booleans (0 or 1) are stored in the registry as REG_DWORD,
    // strings as REG_SZ.
    std::uint32_t defaultNumber;
    const wchar_t* defaultString;
    // The property of the automation interface, or null when the setting is
    // changed only in the registry.
    const wchar_t* property;
    std::int32_t dispid;
};

inline constexpr std::size_t kSettingCount = 23;

// Every setting, in the order in which the registry is read and written.
extern const SettingDescriptor (&kSettings)[kSettingCount];

const SettingDescriptor* FindSettingByProperty(std::wstring_view property);

bool IsStringSetting(const SettingDescriptor& setting);
// The numeric view of a number or boolean (0 or 1) field, as it goes to the registry.
std::uint32_t GetSettingNumber(const FilterSettings& settings, const SettingDescriptor& setting);
// Booleans become true for any nonzero number.
void SetSettingNumber(FilterSettings& settings, const SettingDescriptor& setting, std::uint32_t value);
std::wstring GetSettingString(const FilterSettings& settings, const SettingDescriptor& setting);
void SetSettingString(FilterSettings& settings, const SettingDescriptor& setting, std::wstring value);

void ResetToDefaults(FilterSettings& settings);

// Fills the record from the registry. A value that is missing or of the wrong type
// leaves the field as it is and writes that value back. Registry failures are not
// reported: the record then keeps what it holds.
void LoadSettings(FilterSettings& settings);

// Writes every field; write failures are ignored.
void SaveSettings(const FilterSettings& settings);

}  // namespace tl
