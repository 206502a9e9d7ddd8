// tlvplay's on-screen display: one text or image layer added to the decoder
// filter's top layer through its automation interface, as a script would.
#pragma once
#include <windows.h>

#include <strmif.h>

#include "tools/tlvplay/options.h"

namespace tl::tlvplay {

// Nothing to do when the options ask for no layer.
HRESULT AddOsdLayer(IBaseFilter* decoder, const OsdOptions& osd);

}  // namespace tl::tlvplay
