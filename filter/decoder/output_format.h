// The decoder's view of an output connection type.
#pragma once
#include <windows.h>

#include <dshow.h>

#include "engine/framework/host_interfaces.h"

namespace tl {

OutputSubtype OutputSubtypeOf(const GUID& subtype);
// Reads a FORMAT_VideoInfo2 or FORMAT_VideoInfo block; any other format leaves
// the sizes at 0.
OutputFormat OutputFormatOf(const AM_MEDIA_TYPE& type);

}  // namespace tl
