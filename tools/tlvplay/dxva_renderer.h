// A renderer of our own that connects as a DirectX VA renderer does: its pin
// takes the MPEG-2 DXVA types, offers IAMVideoAccelerator, and while the
// decoder connects asks it through IAMVideoAcceleratorNotify how many surfaces
// to allocate and which accelerator to create. The accelerator is the software
// one of tools/dxva_soft; every surface it displays can be written into a
// directory as frame_00000.bmp upwards.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <memory>
#include <string>

#include "tools/tlvplay/frame_grabber.h"

namespace tl::tlvplay {

// What the decoder asked for while the renderer connected.
struct DxvaSurfaceRequest {
    DWORD minimum = 0, maximum = 0;
};

struct DxvaRendererSettings {
    std::string directory;  // empty: displayed surfaces are counted, not written
    char refusedMode = 0;   // 'A' to 'D': that mode's accelerator will not lock its configuration
    std::shared_ptr<DxvaSurfaceRequest> request;  // filled at each connection, when given
};

// counts.frames counts the displayed surfaces; counts.failures those that could not be written.
HRESULT CreateDxvaRenderer(const DxvaRendererSettings& settings, std::shared_ptr<GrabberCounts> counts,
                           IBaseFilter** out);

}  // namespace tl::tlvplay
