// Failures that cannot be returned where they happen (a string that cannot be
// allocated halfway through building a result) travel as an exception carrying
// their HRESULT and are turned back into that HRESULT at the COM boundary.
#pragma once
#include <windows.h>

#include <exception>
#include <new>

namespace tl::com {

class HResultError : public std::exception {
public:
    explicit HResultError(HRESULT hr) : hr_(hr) {}
    HRESULT hr() const { return hr_; }
    const char* what() const noexcept override { return "COM failure"; }

private:
    HRESULT hr_;
};

[[noreturn]] inline void ThrowOutOfMemory() { throw HResultError(E_OUTOFMEMORY); }

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw HResultError(hr);
}

// Runs the body of a COM method; an HResultError or an allocation failure inside
// it becomes the method's result, so no exception crosses into the caller.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const HResultError& e) {
        return e.hr();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace tl::com
