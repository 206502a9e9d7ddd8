// The pin and media type enumerators of the tool's filters: snapshots taken when
// the enumerator is created.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/pins/enumerators.h"

namespace tl::tlvplay {

inline HRESULT CreatePinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out) {
    return tl::CreatePinEnumerator(std::vector<com::ComPtr<IPin>>(pins.begin(), pins.end()), out);
}

}  // namespace tl::tlvplay
