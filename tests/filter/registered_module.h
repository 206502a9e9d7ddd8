// The filter module beside the test, registered for a whole suite as an
// installer would, so tests reach it through COM by its class.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "filter/com/com_ptr.h"

namespace tl::test {

// The path of a file in the test executable's directory.
std::wstring BesideTest(const wchar_t* file);

// tlVideoDecoder.ax from beside the test, loaded on first use and kept; null when missing.
HMODULE FilterModule();

// An export of a module as a function of type Fn; null when either is missing.
template <class Fn>
Fn ExportOf(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Calls one of the module's exports that take nothing (DllRegisterServer,
// DllCanUnloadNow...); E_NOTIMPL when there is no such export.
HRESULT CallFilterExport(const char* name);

// A new in-process instance of a class through the interface asked for; null
// (and the test failing) when it cannot be created.
template <class Itf>
com::ComPtr<Itf> Instance(REFCLSID clsid) {
    com::ComPtr<Itf> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Itf), object.OutVoid()), S_OK);
    return object;
}

// Polls `found` until it holds or `ms` milliseconds have passed; whether it held.
template <class Found>
bool WaitFor(Found found, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (found()) return true;
        Sleep(50);
    }
    return found();
}

// Initialises COM on the calling thread and runs the module's
// DllRegisterServer; E_FAIL when the module is missing.
HRESULT RegisterFilterModule(DWORD apartment);
// Undoes RegisterFilterModule.
void UnregisterFilterModule();

// A suite whose tests reach the module registered once for all of them, from a
// multithreaded apartment.
class RegisteredModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registered_ = RegisterFilterModule(COINIT_MULTITHREADED); }
    static void TearDownTestSuite() { UnregisterFilterModule(); }
    void SetUp() override { ASSERT_EQ(registered_, S_OK) << "tlVideoDecoder.ax beside the test"; }

    static inline HRESULT registered_ = E_FAIL;
};

}  // namespace tl::test
