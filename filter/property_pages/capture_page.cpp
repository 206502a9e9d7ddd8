#include "filter/property_pages/capture_page.h"

#include "filter/com/class_factory.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"

namespace tl {
namespace {

constexpr struct {
    int control;
    bool CaptureValues::*field;
} kCheckBoxes[] = {
    {TL_CONTROL_SNAP_ENABLE, &CaptureValues::enabled},       {TL_CONTROL_SNAP_I_FRAMES, &CaptureValues::iFrames},
    {TL_CONTROL_SNAP_P_FRAMES, &CaptureValues::pFrames},     {TL_CONTROL_SNAP_B_FRAMES, &CaptureValues::bFrames},
    {TL_CONTROL_SNAP_GOP_ENABLE, &CaptureValues::gopEnabled},
};

constexpr struct {
    int control;
    UINT CaptureValues::*field;
} kNumbers[] = {
    {TL_CONTROL_SNAP_INTERVAL, &CaptureValues::intervalMs},
    {TL_CONTROL_SNAP_GOP_FROM, &CaptureValues::gopFrom},
    {TL_CONTROL_SNAP_GOP_TO, &CaptureValues::gopTo},
};

}  // namespace

CapturePage::CapturePage() : PropertyPage(TL_DIALOG_PAGE_SNAP, TL_STRING_TITLE_SNAP) {}

void CapturePage::OnActivate() {
    const HWND dialog = Dialog();
    for (const auto& box : kCheckBoxes)
        CheckDlgButton(dialog, box.control, values_.*box.field ? BST_CHECKED : BST_UNCHECKED);
    int unfilled = SetDlgItemTextW(dialog, TL_CONTROL_SNAP_MASK, values_.fileMask.c_str()) ? 0 : TL_CONTROL_SNAP_MASK;
    for (const auto& number : kNumbers)
        if (!SetDlgItemInt(dialog, number.control, values_.*number.field, FALSE) && !unfilled) unfilled = number.control;
    // A field that cannot show its value is where the user has to look.
    if (unfilled) {
        MessageBeep(MB_ICONEXCLAMATION);
        SetFocus(Control(unfilled));
    }
}

void CapturePage::OnDeactivate() {
    const HWND dialog = Dialog();
    for (const auto& box : kCheckBoxes) values_.*box.field = IsDlgButtonChecked(dialog, box.control) == BST_CHECKED;
    for (const auto& number : kNumbers) values_.*number.field = GetDlgItemInt(dialog, number.control, nullptr, FALSE);
    std::wstring mask(size_t(GetWindowTextLengthW(Control(TL_CONTROL_SNAP_MASK))) + 1, L'\0');
    mask.resize(size_t(GetDlgItemTextW(dialog, TL_CONTROL_SNAP_MASK, mask.data(), int(mask.size()))));
    values_.fileMask = mask;
}

HRESULT CreateCapturePage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<CapturePage>(outer, riid, ppv);
}

}  // namespace tl
