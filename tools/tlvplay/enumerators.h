// The pin and media type enumerators of the tool's filters: snapshots taken when
// the enumerator is created.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

HRESULT CreatePinEnumerator(const std::vector<IPin*>& pins, IEnumPins** out);
HRESULT CreateMediaTypeEnumerator(const std::vector<MediaType>& types, IEnumMediaTypes** out);

}  // namespace tl::tlvplay
