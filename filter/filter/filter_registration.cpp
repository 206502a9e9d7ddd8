#include "filter/filter/filter_registration.h"

#include <FilterVideoDecoder.h>

#include <dshow.h>
#include <uuids.h>

#include <iterator>
#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/module/server.h"
#include "filter/module/user_values.h"
#include "filter/pins/input_types.h"
#include "filter/pins/output_types.h"
#include "filter/settings/registry_key.h"

namespace tl {
namespace {

constexpr wchar_t kCapabilityValue[] = L"{374ac4df-7c98-4257-b13d-36087dbee458}";

HRESULT RegisterWithMapper(IFilterMapper2* mapper) {
    std::vector<REGPINTYPES> inputTypes;
    for (const InputTypeRow& row : InputTypeRows()) inputTypes.push_back({row.major, row.subtype});
    std::vector<REGPINTYPES> outputTypes;
    for (const GUID* subtype : OutputSubtypes()) outputTypes.push_back({&MEDIATYPE_Video, subtype});

    REGFILTERPINS2 pins[2] = {};
    pins[0].dwFlags = 0;
    pins[0].cInstances = 1;
    pins[0].nMediaTypes = UINT(inputTypes.size());
    pins[0].lpMediaType = inputTypes.data();
    pins[0].clsPinCategory = &GUID_NULL;
    pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[1].cInstances = 1;
    pins[1].nMediaTypes = UINT(outputTypes.size());
    pins[1].lpMediaType = outputTypes.data();
    pins[1].clsPinCategory = &GUID_NULL;

    REGFILTER2 filter{};
    filter.dwVersion = 2;
    filter.dwMerit = kFilterMerit;
    filter.cPins2 = ULONG(std::size(pins));
    filter.rgPins2 = pins;
    const HRESULT hr = mapper->RegisterFilter(__uuidof(::FilterVideoDecoder), kFilterName, nullptr, nullptr,
                                              nullptr, &filter);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

// The filter mapper's entry of the filter in the DirectShow filters category.
std::wstring MapperInstancePath() {
    wchar_t clsid[39] = {};
    StringFromGUID2(__uuidof(::FilterVideoDecoder), clsid, 39);
    return std::wstring(L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\") + clsid;
}

// Marks the mapper's instance entry of the filter, when the mapper wrote one.
void WriteCapabilities() {
    HKEY instance = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, MapperInstancePath().c_str(), 0, KEY_READ | KEY_WRITE, &instance) !=
        ERROR_SUCCESS)
        return;
    HKEY capabilities = nullptr;
    if (RegCreateKeyExW(instance, L"Capabilities", 0, nullptr, 0, KEY_WRITE, nullptr, &capabilities, nullptr) ==
        ERROR_SUCCESS) {
        const DWORD one = 1;
        RegSetValueExW(capabilities, kCapabilityValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                       sizeof(one));
        RegCloseKey(capabilities);
    }
    RegCloseKey(instance);
}

}  // namespace

HRESULT UpdateFilterRegistration(bool registering) {
    com::ComPtr<IFilterMapper2> mapper;
    if (SUCCEEDED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                   mapper.OutVoid()))) {
        mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, __uuidof(::FilterVideoDecoder));
        // A mapper that deletes only empty keys leaves the entry behind because of
        // the Capabilities key in it.
        RegDeleteTreeW(HKEY_CLASSES_ROOT, MapperInstancePath().c_str());
        if (registering) {
            const HRESULT hr = RegisterWithMapper(mapper.Get());
            if (FAILED(hr)) return hr;
        }
    }
    if (!registering) {
        DeleteUserSettings();
        return S_OK;
    }
    const HRESULT hr = WriteModuleValues();
    if (FAILED(hr)) return hr;
    WriteCapabilities();
    return S_OK;
}

}  // namespace tl
