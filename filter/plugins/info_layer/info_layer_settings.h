// The information overlay's appearance and period, kept under the plug-in's own
// registry key. A value that is missing or of the wrong type is replaced by its
// default, which is written back, so the key always shows what is in use.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace tl {

struct InfoLayerSettings {
    RECT viewport{16, 16, 400, 214};             // dwViewPortLeft, Top, Right, Bottom
    std::uint32_t backgroundColor = 0x30000000;  // dwBackgroundColor, 0xAARRGGBB
    std::uint32_t foregroundColor = 0xD0F0F0F0;  // dwForegroundColor
    std::uint32_t refreshMs = 300;               // dwRefreshTimeout
    std::wstring fontName = L"Arial";            // szFontName
    std::int32_t fontHeight = 14;                // nFontHeight
    std::int32_t fontWidth = 0;                  // nFontWidth
    std::int32_t fontWeight = 400;               // nFontWeight
    std::int32_t fontQuality = ANTIALIASED_QUALITY;  // nFontQuality
};

// Reads the settings from the key (root, path), writing back every default it
// used; a key that does not open for reading and writing gives the defaults and
// is left alone. The viewport comes back ordered and at least 2 x 2.
InfoLayerSettings LoadInfoLayerSettings(HKEY root, const std::wstring& path);

}  // namespace tl
