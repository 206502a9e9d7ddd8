// A property getter's answer: E_POINTER for a null destination, else the value
// read() returns while `lock` is held.
#pragma once
#include <windows.h>

#include <mutex>

namespace tl::com {

template <class T, class Mutex, class Read>
HRESULT ReadLocked(T* out, Mutex& lock, Read read) {
    if (!out) return E_POINTER;
    std::lock_guard<Mutex> hold(lock);
    *out = read();
    return S_OK;
}

}  // namespace tl::com
