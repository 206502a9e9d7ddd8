#include "filter/settings/filter_settings.h"

#include <windows.h>

#include <iterator>
#include <type_traits>

#include "filter/settings/registry_key.h"

namespace tl {

using S = FilterSettings;

namespace {

const SettingDescriptor kTable[] = {
    {L"dwDeliverBufferCount", &S::dwDeliverBufferCount, 2, nullptr, nullptr, 0},
    {L"bUseHadwareAcceleratedDeinterlace", &S::bUseHadwareAcceleratedDeinterlace, 0, nullptr,
     L"UseHadwareAcceleratedDeinterlace", 0x60020016},
    {L"bDirectXVA", &S::bDirectXVA, 0, nullptr, L"DXVA", 0x6002000C},
    {L"bColorCorrection", &S::bColorCorrection, 0, nullptr, L"ColorCorrection", 0x60020010},
    {L"bFrameSkipping", &S::bFrameSkipping, 1, nullptr, L"FrameSkipping", 0x60020012},
    {L"dwFrameSkippingTolerance", &S::dwFrameSkippingTolerance, 500, nullptr, L"FrameSkippingTolerance",
     0x60020014},
    {L"bCPUFeatureSSE", &S::bCPUFeatureSSE, 1, nullptr, L"CPUFeatureSSE", 0x60020006},
    {L"bCPUFeatureSSE2", &S::bCPUFeatureSSE2, 1, nullptr, L"CPUFeatureSSE2", 0x60020008},
    {L"bCPUFeatureSSE3", &S::bCPUFeatureSSE3, 1, nullptr, L"CPUFeatureSSE3", 0x6002000A},
    {L"nDefaultWidth", &S::nDefaultWidth, 720, nullptr, nullptr, 0},
    {L"nDefaultHeight", &S::nDefaultHeight, 576, nullptr, nullptr, 0},
    {L"bAlwaysDeinterlace", &S::bAlwaysDeinterlace, 0, nullptr, L"AlwaysDeinterlace", 0x6002000E},
    {L"eDeinterlace", &S::eDeinterlace, DEINTERLACE_AUTO, nullptr, L"Deinterlace", 0x60020004},
    {L"dwDXVAMaxNumSurfaces", &S::dwDXVAMaxNumSurfaces, 8, nullptr, nullptr, 0},
    {L"nAspectRatioX", &S::nAspectRatioX, 0, nullptr, L"AspectRatioX", 0x60020022},
    {L"nAspectRatioY", &S::nAspectRatioY, 0, nullptr, L"AspectRatioY", 0x60020024},
    {L"bMaintainAspectRatio", &S::bMaintainAspectRatio, 1, nullptr, nullptr, 0},
    {L"szOutTypesPriority", &S::szOutTypesPriority, 0, L"YUY2,UYVY,YV12,RGB32,RGB24,RGB565,RGB555",
     L"OutputTypesPriority", 0x60020018},
    {L"szOutTypesPriorityHW", &S::szOutTypesPriorityHW, 0,
     L"YUY2i,UYVYi,YV12i,YUY2,UYVY,YV12,RGB32i,RGB24i,RGB565i,RGB555i,RGB32,RGB24,RGB565,RGB555",
     L"OutputTypesPriorityHW", 0x6002001A},
    {L"szOutTypesPriorityDXVA", &S::szOutTypesPriorityDXVA, 0,
     L"DXVA_Di,DXVA_Bi,DXVA_Ci,DXVA_Ai,DXVA_D,DXVA_B,DXVA_C,DXVA_A", L"OutputTypesPriorityDXVA", 0x6002001C},
    {L"szOutputConnectionAllowList", &S::szOutputConnectionAllowList, 0, L"", L"OutputConnectionAllowList",
     0x6002001E},
    {L"szOutputConnectionDenyList", &S::szOutputConnectionDenyList, 0, L"", L"OutputConnectionDenyList",
     0x60020020},
    {L"bErrorConcealment", &S::bErrorConcealment, 0, nullptr, L"ErrorConcealment", 0x6002002C},
};
static_assert(std::size(kTable) == kSettingCount);

}  // namespace

const SettingDescriptor (&kSettings)[kSettingCount] = kTable;

namespace {

// The longest string taken from the registry; a longer value fails the read.
constexpr std::size_t kMaxStringChars = 511;
constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

template <class T>
constexpr bool kIsString = std::is_same_v<T, SettingString FilterSettings::*>;

}  // namespace

const SettingDescriptor* FindSettingByProperty(std::wstring_view property) {
    for (const SettingDescriptor& setting : kSettings) {
        if (setting.property && property == setting.property) return &setting;
    }
    return nullptr;
}

bool IsStringSetting(const SettingDescriptor& setting) {
    return std::holds_alternative<SettingString FilterSettings::*>(setting.field);
}

std::uint32_t GetSettingNumber(const FilterSettings& settings, const SettingDescriptor& setting) {
    return std::visit(
        [&](auto field) -> std::uint32_t {
            if constexpr (kIsString<decltype(field)>) {
                return 0;
            } else {
                return static_cast<std::uint32_t>((settings.*field).Get());
            }
        },
        setting.field);
}

void SetSettingNumber(FilterSettings& settings, const SettingDescriptor& setting, std::uint32_t value) {
    std::visit(
        [&](auto field) {
            using Field = decltype(field);
            if constexpr (std::is_same_v<Field, SettingValue<bool> FilterSettings::*>) {
                (settings.*field).Set(value != 0);
            } else if constexpr (!kIsString<Field>) {
                using T = decltype((settings.*field).Get());
                (settings.*field).Set(static_cast<T>(value));
            }
        },
        setting.field);
}

std::wstring GetSettingString(const FilterSettings& settings, const SettingDescriptor& setting) {
    const auto* field = std::get_if<SettingString FilterSettings::*>(&setting.field);
    return field ? *(settings.**field).Get() : std::wstring();
}

void SetSettingString(FilterSettings& settings, const SettingDescriptor& setting, std::wstring value) {
    if (const auto* field = std::get_if<SettingString FilterSettings::*>(&setting.field)) {
        (settings.**field).Set(std::move(value));
    }
}

void ResetToDefaults(FilterSettings& settings) {
    for (const SettingDescriptor& setting : kSettings) {
        if (IsStringSetting(setting)) {
            SetSettingString(settings, setting, setting.defaultString);
        } else {
            SetSettingNumber(settings, setting, setting.defaultNumber);
        }
    }
}

void LoadSettings(FilterSettings& settings) {
    // Without a key every read fails and every write-back is lost, so the
    // record keeps what it holds.
    const RegistryKey key = RegistryKey::OpenOrCreate(HKEY_CURRENT_USER, kSettingsKeyPath, kAccess);
    for (const SettingDescriptor& setting : kSettings) {
        if (IsStringSetting(setting)) {
            if (auto text = key.ReadString(setting.registryName, kMaxStringChars)) {
                SetSettingString(settings, setting, std::move(*text));
            } else {
                key.WriteString(setting.registryName, GetSettingString(settings, setting));
            }
        } else {
            if (auto number = key.ReadDword(setting.registryName)) {
                SetSettingNumber(settings, setting, *number);
            } else {
                key.WriteDword(setting.registryName, GetSettingNumber(settings, setting));
            }
        }
    }
}

void SaveSettings(const FilterSettings& settings) {
    const RegistryKey key = RegistryKey::OpenOrCreate(HKEY_CURRENT_USER, kSettingsKeyPath, kAccess);
    for (const SettingDescriptor& setting : kSettings) {
        if (IsStringSetting(setting)) {
            key.WriteString(setting.registryName, GetSettingString(settings, setting));
        } else {
            key.WriteDword(setting.registryName, GetSettingNumber(settings, setting));
        }
    }
}

}  // namespace tl
