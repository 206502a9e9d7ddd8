// ConfigureDxva: what the output pin does when it completes a DirectX VA
// connection. The accelerator's GUIDs and formats are asked for as a renderer
// expects, then the configuration exchange of the core runs through the
// renderer's IAMVideoAccelerator.
#pragma once
#include "engine/dxva/connection_setup.h"
#include "filter/dxva/dxva_declarations.h"

namespace tl {

// Keeps `result.surfaceCount`; every other field is overwritten. A failure of
// the GUID query or of the configuration exchange is returned.
HRESULT ConfigureDxva(dxva::IAMVideoAccelerator* accelerator, OutputSubtype subtype, dxva::DxvaConnection& result);

// The mode table's subtype for a DXVA media subtype; OutputSubtype::Other for any other.
OutputSubtype DxvaSubtypeOf(const GUID& subtype);

}  // namespace tl
