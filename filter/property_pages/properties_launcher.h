// The filter's property pages without a media player: a filter in a graph of its
// own, its pages in a property frame, and the settings stored as the defaults once
// the frame is closed. Failures end it quietly.
#pragma once
#include <windows.h>

namespace tl {

void ShowFilterProperties(HWND owner);

}  // namespace tl
