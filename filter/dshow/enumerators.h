// Snapshot enumerators for EnumPins and EnumMediaTypes.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/snapshot_enumerator.h"
#include "filter/dshow/media_type.h"

namespace tl {

// Media types handed out as task-memory copies.
struct MediaTypeCopy {
    using Item = MediaType;
    using Element = AM_MEDIA_TYPE*;
    static bool Out(const MediaType& type, AM_MEDIA_TYPE** out) {
        *out = CreateMediaTypeCopy(type.Get());
        return *out != nullptr;
    }
    static void Free(AM_MEDIA_TYPE*& type) {
        DeleteMediaType(type);
        type = nullptr;
    }
};

inline HRESULT CreatePinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out) {
    return com::CreateSnapshotEnumerator<IEnumPins, com::InterfaceCopy<IPin>>(
        std::vector<com::ComPtr<IPin>>(pins.begin(), pins.end()), out);
}

inline HRESULT CreateMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) {
    return com::CreateSnapshotEnumerator<IEnumMediaTypes, MediaTypeCopy>(std::move(types), out);
}

}  // namespace tl
