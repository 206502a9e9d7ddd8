// Registration and unregistration as regsvr32 and regsvr32 /u run them: after
// both, the classes, the user's keys and the filter mapper's entries are exactly
// as they were before, down to every value.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "registered_module.h"

namespace {

// Every key below root\path as a line, and every value as a line with its type and data.
void Collect(HKEY root, const std::wstring& path, std::set<std::wstring>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    out.insert(path);
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(std::size(name));
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(std::size(name)), type = 0, size = DWORD(data.size());
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::wstring line = path + L" : " + name + L" = " + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < size; ++b) line += L"0123456789abcdef"[data[b] >> 4], line += L"0123456789abcdef"[data[b] & 15];
        out.insert(line);
    }
    RegCloseKey(key);
    for (const std::wstring& child : children) {
        // Wine keeps its own state there (a debugger another process started, say).
        if (path == L"Software" && child == L"Wine") continue;
        Collect(root, path + L"\\" + child, out);
    }
}

std::set<std::wstring> Snapshot() {
    std::set<std::wstring> lines;
    Collect(HKEY_LOCAL_MACHINE, L"Software\\Classes", lines);
    Collect(HKEY_CURRENT_USER, L"Software", lines);
    return lines;
}

std::vector<std::wstring> Difference(const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
    std::vector<std::wstring> out;
    for (const std::wstring& line : a)
        if (!b.count(line)) out.push_back(line);
    return out;
}

std::string Narrow(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines) text += std::string(line.begin(), line.end()) + "\n";
    return text;
}

TEST(Unregistration, LeavesTheRegistryAsRegistrationFoundIt) {
    ASSERT_NE(tl::test::FilterModule(), nullptr) << "tlVideoDecoder.ax beside the test";
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const auto call = tl::test::CallFilterExport;

    call("DllUnregisterServer");  // whatever an earlier run left
    const std::set<std::wstring> before = Snapshot();
    ASSERT_EQ(call("DllRegisterServer"), S_OK);
    const std::set<std::wstring> registered = Snapshot();
    const std::vector<std::wstring> written = Difference(registered, before);
    // The mapper's entry and the user's key are among what registration writes
    // (key names in whatever case the registry keeps them).
    std::string writtenText = Narrow(written);
    for (char& c : writtenText) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(writtenText.find("{083863f1-70de-11d0-bd40-00a0c911ce86}\\instance\\"), std::string::npos);
    EXPECT_NE(writtenText.find("software\\kelmarin systems gmbh"), std::string::npos);

    EXPECT_EQ(call("DllUnregisterServer"), S_OK);
    const std::set<std::wstring> after = Snapshot();
    EXPECT_EQ(Narrow(Difference(after, before)), "") << "left behind";
    EXPECT_EQ(Narrow(Difference(before, after)), "") << "removed beyond what registration wrote";
    for (const std::wstring& line : written) EXPECT_EQ(after.count(line), 0u);

    CoUninitialize();
}

}  // namespace
