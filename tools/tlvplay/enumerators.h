// The pin and media type enumerators of the tool's filters: snapshots taken when
// the enumerator is created.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/snapshot_enumerator.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

struct MediaTypeCopy {
    using Item = MediaType;
    using Element = AM_MEDIA_TYPE*;
    static bool Out(const MediaType& type, AM_MEDIA_TYPE** out) {
        *out = type.NewTaskCopy();
        return *out != nullptr;
    }
    static void Free(AM_MEDIA_TYPE*& type) {
        DeleteMediaType(type);
        type = nullptr;
    }
};

inline HRESULT CreatePinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out) {
    std::vector<com::ComPtr<IPin>> held(pins.begin(), pins.end());
    return com::CreateSnapshotEnumerator<IEnumPins, com::InterfaceCopy<IPin>>(std::move(held), out);
}

inline HRESULT CreateMediaTypeEnumerator(const std::vector<MediaType>& types, IEnumMediaTypes** out) {
    return com::CreateSnapshotEnumerator<IEnumMediaTypes, MediaTypeCopy>(types, out);
}

}  // namespace tl::tlvplay
