#include "filter/dshow/media_type.h"

#include <objbase.h>

#include <cstring>

#include "filter/com/hresult_error.h"

namespace tl {

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    if (type.pbFormat) CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) type.pUnk->Release();
    type.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return;
    FreeMediaTypeContents(*type);
    CoTaskMemFree(type);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) {
    target = source;
    target.pbFormat = nullptr;
    target.cbFormat = 0;
    if (source.cbFormat && source.pbFormat) {
        target.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (!target.pbFormat) {
            target.pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
        target.cbFormat = source.cbFormat;
    }
    if (target.pUnk) target.pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& source) {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy) return nullptr;
    if (FAILED(CopyMediaType(*copy, source))) {
        CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

MediaType::MediaType() { std::memset(&type_, 0, sizeof(type_)); }

MediaType::MediaType(const AM_MEDIA_TYPE& source) : MediaType() { Assign(source); }

MediaType::MediaType(const MediaType& other) : MediaType() { Assign(other.type_); }

MediaType& MediaType::operator=(const MediaType& other) {
    if (this != &other) Assign(other.type_);
    return *this;
}

MediaType::~MediaType() { FreeMediaTypeContents(type_); }

void MediaType::Assign(const AM_MEDIA_TYPE& source) {
    AM_MEDIA_TYPE copy;
    com::ThrowIfFailed(CopyMediaType(copy, source));
    FreeMediaTypeContents(type_);
    type_ = copy;
}

void MediaType::Clear() {
    FreeMediaTypeContents(type_);
    std::memset(&type_, 0, sizeof(type_));
}

BYTE* MediaType::AllocateFormat(const GUID& formatType, ULONG size) {
    CoTaskMemFree(type_.pbFormat);
    type_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
    type_.cbFormat = type_.pbFormat ? size : 0;
    type_.formattype = type_.pbFormat ? formatType : GUID_NULL;
    if (type_.pbFormat) std::memset(type_.pbFormat, 0, size);
    return type_.pbFormat;
}

}  // namespace tl
