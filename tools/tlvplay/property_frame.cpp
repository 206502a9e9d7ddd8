#include "tools/tlvplay/property_frame.h"

#include <olectl.h>

#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/media_guids.h"

namespace tl::tlvplay {
namespace {

constexpr UINT kPollMs = 100;

// What the timer on the frame's thread watches. The frame runs its own message
// loop, so the timer is a thread timer with this state beside it.
struct Watch {
    IMediaEvent* events;
    ULONGLONG deadline;
    std::wstring caption;
    long code = 0;
    bool closing = false;
};
thread_local Watch* t_watch = nullptr;

BOOL CALLBACK CloseFrame(HWND window, LPARAM) {
    wchar_t text[256];
    if (!IsWindowVisible(window) || !GetWindowTextW(window, text, 256) ||
        std::wstring(text).find(t_watch->caption) == std::wstring::npos)
        return TRUE;
    PostMessageW(window, WM_CLOSE, 0, 0);
    t_watch->closing = true;
    return FALSE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    Watch& watch = *t_watch;
    if (watch.closing) return;
    long code = 0;
    if (!watch.code && watch.events->WaitForCompletion(0, &code) == S_OK) watch.code = code;
    const bool done = watch.deadline ? GetTickCount64() >= watch.deadline : watch.code != 0;
    if (done) EnumThreadWindows(GetCurrentThreadId(), &CloseFrame, 0);
}

}  // namespace

long ShowPropertiesWhilePlaying(IBaseFilter* decoder, IMediaEvent* events, ULONGLONG deadline) {
    com::ComPtr<ISpecifyPropertyPages> specify;
    CAUUID listed{0, nullptr};
    FILTER_INFO info{};
    if (FAILED(decoder->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid())) ||
        FAILED(specify->GetPages(&listed)))
        return 0;
    std::vector<CLSID> pages(listed.pElems, listed.pElems + listed.cElems);
    CoTaskMemFree(listed.pElems);
    pages.push_back(kClsidCapturePage);
    if (SUCCEEDED(decoder->QueryFilterInfo(&info)) && info.pGraph) info.pGraph->Release();

    Watch watch{events, deadline, info.achName};
    t_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, &Poll);
    IUnknown* objects[] = {decoder};
    OleCreatePropertyFrame(nullptr, 0, 0, info.achName, 1, objects, ULONG(pages.size()), pages.data(), 0, 0,
                           nullptr);
    KillTimer(nullptr, timer);
    t_watch = nullptr;
    long code = 0;
    if (!watch.code && events->WaitForCompletion(0, &code) == S_OK) watch.code = code;
    return watch.code;
}

}  // namespace tl::tlvplay
