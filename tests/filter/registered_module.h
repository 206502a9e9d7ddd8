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

// A suite whose tests reach the module registered once for all of them: COM
// initialised in an apartment of the given kind and the module's
// DllRegisterServer run, both undone at the end.
template <DWORD Apartment = COINIT_MULTITHREADED>
class RegisteredModuleSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, Apartment);
        registered_ = FilterModule() ? CallFilterExport("DllRegisterServer") : E_FAIL;
    }
    static void TearDownTestSuite() {
        CallFilterExport("DllUnregisterServer");
        CoUninitialize();
    }
    void SetUp() override { ASSERT_EQ(registered_, S_OK) << "tlVideoDecoder.ax beside the test"; }

    static inline HRESULT registered_ = E_FAIL;
};
using RegisteredModuleTest = RegisteredModuleSuite<>;

}  // namespace tl::test
