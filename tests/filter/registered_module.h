// The filter module beside the test, registered for a whole suite as an
// installer would, so tests reach it through COM by its class.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace tl::test {

// The path of a file in the test executable's directory.
std::wstring BesideTest(const wchar_t* file);

// Initialises COM on the calling thread, loads tlVideoDecoder.ax from beside the
// test and runs its DllRegisterServer; E_FAIL when the module is missing.
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
