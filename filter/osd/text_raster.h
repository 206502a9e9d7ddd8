// A text layer's content: the text drawn white on black by GDI, its coverage
// (the blue byte) turned into the foreground over the background colour.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "filter/osd/content_surface.h"

namespace tl {

// colours are 0xAARRGGBB as the layer stores them; font null: DEFAULT_GUI_FONT.
// Lines break only at line breaks in the text, which starts at the top left.
// False, with the surface as it was, when GDI cannot give a device context or bitmap.
bool RasteriseText(std::wstring_view text, HFONT font, std::uint32_t backColor, std::uint32_t foreColor, int width,
                   int height, ContentSurface& surface);

}  // namespace tl
