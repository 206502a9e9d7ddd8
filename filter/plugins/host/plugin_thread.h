// A plug-in's own thread with the shutdown handshake its Finit uses: the owner
// sets the command event, the thread acknowledges and returns, and the owner
// waits up to 10 s for each of the two steps. A thread that ended on its own
// (a failed start-up) counts as having acknowledged.
#pragma once
#include <windows.h>

#include <functional>

namespace tl {

class PluginThread {
public:
    // The thread's work. It waits on CommandEvent() among its own objects and,
    // once it is set, calls Acknowledge() and returns.
    using Body = std::function<void(PluginThread& thread)>;

    PluginThread() = default;
    PluginThread(const PluginThread&) = delete;
    PluginThread& operator=(const PluginThread&) = delete;
    ~PluginThread() { Stop(); }

    // S_OK, or the failure to create the events or the thread.
    HRESULT Start(Body body);
    HANDLE CommandEvent() const { return command_; }
    void Acknowledge() { SetEvent(acknowledged_); }
    // Shuts the thread down as above and closes the handles; nothing when not started.
    void Stop();

private:
    static DWORD WINAPI Main(void* self);

    static constexpr DWORD kHandshakeMs = 10000;
    Body body_;
    HANDLE command_ = nullptr;
    HANDLE acknowledged_ = nullptr;
    HANDLE thread_ = nullptr;
};

}  // namespace tl
