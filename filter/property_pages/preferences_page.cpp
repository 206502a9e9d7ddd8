#include "filter/property_pages/preferences_page.h"

#include <windowsx.h>

#include <iterator>
#include <variant>

#include "filter/com/class_factory.h"
#include "filter/property_pages/aspect_ratio_text.h"
#include "filter/property_pages/dispatch_access.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"
#include "filter/property_pages/page_strings.h"
#include "filter/settings/filter_settings.h"

namespace tl {
namespace {

// A control showing one setting through its automation property; the kind of
// control follows from the setting's type (check box for a boolean, the method
// list for the deinterlace mode, an edit field for a string). Listed in the order
// Apply writes them.
struct Binding {
    int control;
    const wchar_t* property;
    UINT tip;  // 0: none of its own
};

constexpr Binding kBindings[] = {
    {TL_CONTROL_PREF_ALWAYS_DEINTERLACE, L"AlwaysDeinterlace", TL_STRING_TIP_ALWAYS_DEINTERLACE},
    {TL_CONTROL_PREF_SSE, L"CPUFeatureSSE", 0},
    {TL_CONTROL_PREF_SSE2, L"CPUFeatureSSE2", 0},
    {TL_CONTROL_PREF_SSE3, L"CPUFeatureSSE3", 0},
    {TL_CONTROL_PREF_DXVA, L"DXVA", TL_STRING_TIP_DXVA},
    {TL_CONTROL_PREF_COLOR_CORRECTION, L"ColorCorrection", TL_STRING_TIP_COLOR_CORRECTION},
    {TL_CONTROL_PREF_FRAME_SKIPPING, L"FrameSkipping", TL_STRING_TIP_FRAME_SKIPPING},
    {TL_CONTROL_PREF_HW_DEINTERLACE, L"UseHadwareAcceleratedDeinterlace", TL_STRING_TIP_HW_DEINTERLACE},
    {TL_CONTROL_PREF_METHOD, L"Deinterlace", TL_STRING_TIP_METHOD},
    {TL_CONTROL_PREF_TYPES_NORMAL, L"OutputTypesPriority", TL_STRING_TIP_OUTPUT_TYPES},
    {TL_CONTROL_PREF_TYPES_INTERLACED, L"OutputTypesPriorityHW", TL_STRING_TIP_OUTPUT_TYPES},
    {TL_CONTROL_PREF_TYPES_DXVA, L"OutputTypesPriorityDXVA", TL_STRING_TIP_DXVA_TYPES},
    {TL_CONTROL_PREF_ALLOW, L"OutputConnectionAllowList", TL_STRING_TIP_CONNECTIONS},
    {TL_CONTROL_PREF_DENY, L"OutputConnectionDenyList", TL_STRING_TIP_CONNECTIONS},
};

// The method list in the order of the deinterlace enumeration.
constexpr const wchar_t* kMethods[] = {L"Auto",         L"Progressive",  L"Weave",
                                       L"Hardware BOB", L"Software BOB", L"Software BOB Double Rate"};
static_assert(std::size(kMethods) == DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE + 1);

constexpr const wchar_t* kAspectRatios[] = {kAutoAspectRatio, L"4:3", L"5:4", L"16:9", L"221:100"};

const SettingDescriptor& SettingOf(const Binding& binding) { return *FindSettingByProperty(binding.property); }

bool IsCheckBox(const SettingDescriptor& setting) {
    return std::holds_alternative<SettingValue<bool> FilterSettings::*>(setting.field);
}

bool IsMethodList(const SettingDescriptor& setting) {
    return std::holds_alternative<SettingValue<Deinterlace> FilterSettings::*>(setting.field);
}

std::wstring WindowText(HWND window) {
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

// A property read as a 32-bit number; false when it cannot be read.
bool GetNumber(IDispatch* object, DISPID id, LONG* number) {
    VARIANT value;
    HRESULT hr = GetDispatchProperty(object, id, &value);
    if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &value, 0, VT_I4);
    if (SUCCEEDED(hr)) *number = value.lVal;
    VariantClear(&value);
    return SUCCEEDED(hr);
}

void PutNumber(IDispatch* object, DISPID id, VARTYPE type, LONG number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    value.lVal = number;
    PutDispatchProperty(object, id, value);
}

DISPID DispidOf(const wchar_t* property) { return FindSettingByProperty(property)->dispid; }

}  // namespace

PreferencesPage::PreferencesPage() : PropertyPage(TL_DIALOG_PAGE_PREF, TL_STRING_TITLE_PREF) {}

void PreferencesPage::OnActivate() {
    const HWND methods = Control(TL_CONTROL_PREF_METHOD);
    for (const wchar_t* method : kMethods) SendMessageW(methods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(method));
    const HWND aspect = Control(TL_CONTROL_PREF_ASPECT);
    for (const wchar_t* ratio : kAspectRatios) SendMessageW(aspect, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ratio));

    if (IDispatch* filter = Filter()) {
        for (const Binding& binding : kBindings) {
            const SettingDescriptor& setting = SettingOf(binding);
            const HWND control = Control(binding.control);
            if (IsCheckBox(setting) || IsMethodList(setting)) {
                LONG number = 0;
                if (!GetNumber(filter, setting.dispid, &number)) continue;
                if (IsCheckBox(setting))
                    Button_SetCheck(control, number == VARIANT_TRUE ? BST_CHECKED : BST_UNCHECKED);
                else
                    ComboBox_SetCurSel(control, number);
                continue;
            }
            VARIANT text;
            if (SUCCEEDED(GetDispatchProperty(filter, setting.dispid, &text)) && text.vt == VT_BSTR)
                SetWindowTextW(control, text.bstrVal ? text.bstrVal : L"");
            VariantClear(&text);
        }
        LONG x = 0, y = 0;
        if (GetNumber(filter, DispidOf(L"AspectRatioX"), &x) && GetNumber(filter, DispidOf(L"AspectRatioY"), &y))
            SetWindowTextW(aspect, AspectRatioText(std::uint32_t(x), std::uint32_t(y)).c_str());
    }
    loaded_ = ControlStates();

    tips_ = std::make_unique<ToolTips>(Dialog());
    for (const Binding& binding : kBindings)
        if (binding.tip) tips_->Add(Control(binding.control), LoadPageString(binding.tip));
    tips_->Add(Control(TL_CONTROL_PREF_SAVE_DEFAULTS), LoadPageString(TL_STRING_TIP_SAVE_DEFAULTS));
    tips_->Add(Control(TL_CONTROL_PREF_ASPECT), LoadPageString(TL_STRING_TIP_ASPECT));
}

void PreferencesPage::OnDeactivate() { tips_.reset(); }

std::vector<std::wstring> PreferencesPage::ControlStates() const {
    std::vector<std::wstring> states;
    for (const Binding& binding : kBindings) {
        const SettingDescriptor& setting = SettingOf(binding);
        const HWND control = Control(binding.control);
        if (IsCheckBox(setting))
            states.push_back(Button_GetCheck(control) == BST_CHECKED ? L"1" : L"0");
        else if (IsMethodList(setting))
            states.push_back(std::to_wstring(ComboBox_GetCurSel(control)));
        else
            states.push_back(WindowText(control));
    }
    states.push_back(WindowText(Control(TL_CONTROL_PREF_ASPECT)));
    return states;
}

void PreferencesPage::UpdateDirty() { SetDirty(ControlStates() != loaded_); }

void PreferencesPage::OnApply() {
    IDispatch* filter = Filter();
    for (const Binding& binding : kBindings) {
        const SettingDescriptor& setting = SettingOf(binding);
        const HWND control = Control(binding.control);
        if (IsCheckBox(setting)) {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BOOL;
            value.boolVal = Button_GetCheck(control) == BST_CHECKED ? VARIANT_TRUE : VARIANT_FALSE;
            PutDispatchProperty(filter, setting.dispid, value);
        } else if (IsMethodList(setting)) {
            const int method = ComboBox_GetCurSel(control);
            PutNumber(filter, setting.dispid, VT_I4, method >= 0 && method < int(std::size(kMethods)) ? method : 0);
        } else {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocString(WindowText(control).c_str());
            PutDispatchProperty(filter, setting.dispid, value);
            VariantClear(&value);
        }
    }
    std::uint32_t x = 0, y = 0;
    ParseAspectRatio(WindowText(Control(TL_CONTROL_PREF_ASPECT)), &x, &y);
    PutNumber(filter, DispidOf(L"AspectRatioX"), VT_UI4, LONG(x));
    PutNumber(filter, DispidOf(L"AspectRatioY"), VT_UI4, LONG(y));
    loaded_ = ControlStates();
}

void PreferencesPage::SaveDefaults() {
    if (!Filter()) return;
    OnApply();
    Filter()->SaveDefaults();
    SetDirty(false);
}

bool PreferencesPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR*) {
    if (message != WM_COMMAND) return false;
    const int control = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (control == TL_CONTROL_PREF_SAVE_DEFAULTS) {
        if (code == BN_CLICKED) SaveDefaults();
        return true;
    }
    if (control == TL_CONTROL_PREF_ASPECT && code == CBN_SELCHANGE) {
        // The box's text follows the selection only after this notification.
        const HWND aspect = reinterpret_cast<HWND>(lParam);
        const int selected = ComboBox_GetCurSel(aspect);
        if (selected >= 0 && selected < int(std::size(kAspectRatios)))
            SetWindowTextW(aspect, kAspectRatios[selected]);
    }
    if (code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == EN_CHANGE) UpdateDirty();
    return true;
}

HRESULT CreatePreferencesPage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<PreferencesPage>(outer, riid, ppv);
}

}  // namespace tl
