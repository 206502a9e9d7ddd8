#include "filter/osd/text_raster.h"

#include <cstring>

#include "convert/overlay_rules.h"

namespace tl {
namespace {

// DT_EXPANDTABS | DT_BOTTOM: without DT_SINGLELINE the bottom flag does nothing,
// so text keeps its own line breaks and starts at the top left.
constexpr UINT kTextFormat = 0x48;
constexpr COLORREF kWhite = 0xFFFFFF;

}  // namespace

bool RasteriseText(std::wstring_view text, HFONT font, std::uint32_t backColor, std::uint32_t foreColor, int width,
                   int height, ContentSurface& surface) {
    if (width < 1 || height < 1) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(dc);
        return false;
    }
    const int stride = (3 * width + 3) & ~3;
    std::memset(bits, 0, std::size_t(stride) * std::size_t(height));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetMapMode(dc, MM_TEXT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    RECT box{0, 0, width, height};
    DrawTextW(dc, text.data(), int(text.size()), &box, kTextFormat);
    GdiFlush();

    surface.resize(width, height);
    const std::uint32_t back = overlay_rules::premultiply(backColor);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* coverage = static_cast<const std::uint8_t*>(bits) + std::size_t(y) * std::size_t(stride);
        std::uint8_t* out = surface.pixels.data() + std::size_t(y) * std::size_t(surface.pitch());
        for (int x = 0; x < width; ++x, out += 4) {
            const std::uint32_t pixel = overlay_rules::coverageOver(back, foreColor, coverage[3 * x]);
            std::memcpy(out, &pixel, 4);
        }
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return true;
}

}  // namespace tl
