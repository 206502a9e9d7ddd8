#include "filter/plugins/host/plugin_thread.h"

#include <utility>

namespace tl {
namespace {

void CloseAndClear(HANDLE& handle) {
    if (handle) CloseHandle(std::exchange(handle, nullptr));
}

}  // namespace

HRESULT PluginThread::Start(Body body) {
    Stop();
    body_ = std::move(body);
    command_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    acknowledged_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (command_ && acknowledged_) thread_ = CreateThread(nullptr, 0, &PluginThread::Main, this, 0, nullptr);
    if (thread_) return S_OK;
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    CloseAndClear(command_);
    CloseAndClear(acknowledged_);
    return FAILED(hr) ? hr : E_FAIL;
}

void PluginThread::Stop() {
    if (thread_) {
        SetEvent(command_);
        const HANDLE either[] = {acknowledged_, thread_};
        WaitForMultipleObjects(2, either, FALSE, kHandshakeMs);
        WaitForSingleObject(thread_, kHandshakeMs);
    }
    CloseAndClear(thread_);
    CloseAndClear(command_);
    CloseAndClear(acknowledged_);
}

DWORD WINAPI PluginThread::Main(void* self) {
    auto* thread = static_cast<PluginThread*>(self);
    thread->body_(*thread);
    return 0;
}

}  // namespace tl
