#include "filter/property_pages/procamp_page.h"

#include <commctrl.h>
#include <strmif.h>

#include "filter/com/class_factory.h"
#include "filter/com/com_ptr.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"

namespace tl {
namespace {

constexpr struct {
    int trackBar;
    int valueText;
    LONG property;
} kAdjustments[] = {
    {TL_CONTROL_PROCAMP_BRIGHTNESS, TL_CONTROL_PROCAMP_BRIGHTNESS_VALUE, VideoProcAmp_Brightness},
    {TL_CONTROL_PROCAMP_CONTRAST, TL_CONTROL_PROCAMP_CONTRAST_VALUE, VideoProcAmp_Contrast},
    {TL_CONTROL_PROCAMP_SATURATION, TL_CONTROL_PROCAMP_SATURATION_VALUE, VideoProcAmp_Saturation},
};

constexpr LONG kInitialMin = -100;
constexpr LONG kInitialMax = 100;

com::ComPtr<IAMVideoProcAmp> ProcAmpOf(IFilterVideoDecoder* filter) {
    com::ComPtr<IAMVideoProcAmp> procAmp;
    if (filter) filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.OutVoid());
    return procAmp;
}

// Some track bars (Wine's) place the thumb anew only when the position changes,
// so after a new range the position is moved off and back.
void SetRange(HWND trackBar, LONG min, LONG max) {
    const LONG position = LONG(SendMessageW(trackBar, TBM_GETPOS, 0, 0));
    SendMessageW(trackBar, TBM_SETRANGEMIN, FALSE, min);
    SendMessageW(trackBar, TBM_SETRANGEMAX, FALSE, max);
    SendMessageW(trackBar, TBM_SETPOS, FALSE, position == max ? min : max);
    SendMessageW(trackBar, TBM_SETPOS, TRUE, position);
}

void SetPosition(HWND dialog, int trackBar, int valueText, LONG value) {
    SendDlgItemMessageW(dialog, trackBar, TBM_SETPOS, TRUE, value);
    SetDlgItemInt(dialog, valueText, UINT(value), TRUE);
}

}  // namespace

ProcAmpPage::ProcAmpPage() : PropertyPage(TL_DIALOG_PAGE_PROCAMP, TL_STRING_TITLE_PROCAMP) {}

void ProcAmpPage::OnActivate() {
    const HWND dialog = Dialog();
    const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Filter());
    for (const auto& adjustment : kAdjustments) {
        const HWND trackBar = Control(adjustment.trackBar);
        SetRange(trackBar, kInitialMin, kInitialMax);
        SendMessageW(trackBar, TBM_SETTIC, 0, 0);
        SetPosition(dialog, adjustment.trackBar, adjustment.valueText, 0);
        LONG min = 0, max = 0, step = 0, defaultValue = 0, caps = 0, value = 0, flags = 0;
        const bool readable = procAmp &&
                              SUCCEEDED(procAmp->GetRange(adjustment.property, &min, &max, &step, &defaultValue, &caps)) &&
                              SUCCEEDED(procAmp->Get(adjustment.property, &value, &flags));
        EnableWindow(trackBar, readable);
        if (!readable) continue;
        SetRange(trackBar, min, max);
        SetPosition(dialog, adjustment.trackBar, adjustment.valueText, value);
    }
}

void ProcAmpPage::Reset() {
    const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Filter());
    for (const auto& adjustment : kAdjustments) {
        if (procAmp) procAmp->Set(adjustment.property, 0, 0);
        SetPosition(Dialog(), adjustment.trackBar, adjustment.valueText, 0);
    }
}

bool ProcAmpPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR*) {
    if (message == WM_COMMAND && LOWORD(wParam) == TL_CONTROL_PROCAMP_RESET && HIWORD(wParam) == BN_CLICKED) {
        Reset();
        return true;
    }
    if (message != WM_HSCROLL || !lParam) return false;
    const HWND trackBar = reinterpret_cast<HWND>(lParam);
    for (const auto& adjustment : kAdjustments) {
        if (trackBar != Control(adjustment.trackBar)) continue;
        const LONG position = LONG(SendMessageW(trackBar, TBM_GETPOS, 0, 0));
        if (const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Filter()))
            procAmp->Set(adjustment.property, position, VideoProcAmp_Flags_Manual);
        SetDlgItemInt(Dialog(), adjustment.valueText, UINT(position), TRUE);
        return true;
    }
    return false;
}

HRESULT CreateProcAmpPage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<ProcAmpPage>(outer, riid, ppv);
}

}  // namespace tl
