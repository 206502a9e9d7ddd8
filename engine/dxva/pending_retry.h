// An accelerator answers E_PENDING while the surface or buffer it is asked
// about is still in use; the call is repeated a bounded number of times.
#pragma once
#include <chrono>
#include <thread>

#include "engine/base/hresult.h"

namespace tl::dxva {

inline constexpr int kPendingRetries = 20;
inline constexpr std::chrono::milliseconds kPendingRetryInterval{10};

template <class Call>
HResult retryWhilePending(Call call) {
    HResult r = call();
    for (int i = 0; i < kPendingRetries && r == hr::e_pending; ++i) {
        std::this_thread::sleep_for(kPendingRetryInterval);
        r = call();
    }
    return r;
}

}  // namespace tl::dxva
