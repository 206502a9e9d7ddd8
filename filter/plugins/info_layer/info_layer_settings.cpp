#include "filter/plugins/info_layer/info_layer_settings.h"

#include <utility>

#include "filter/settings/registry_key.h"

namespace tl {
namespace {

constexpr std::size_t kMaxFontNameChars = 255;

// A REG_DWORD into `field` (any 32-bit type), or the default written back.
template <class T>
void ReadOrWriteBack(const RegistryKey& key, const wchar_t* name, T& field) {
    static_assert(sizeof(T) == 4, "registry numbers are 32-bit");
    if (const auto stored = key.ReadDword(name))
        field = static_cast<T>(*stored);
    else
        key.WriteDword(name, static_cast<std::uint32_t>(field));
}

void Normalise(RECT& r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    if (r.right - r.left < 2) r.right = r.left + 2;
    if (r.bottom - r.top < 2) r.bottom = r.top + 2;
}

}  // namespace

InfoLayerSettings LoadInfoLayerSettings(HKEY root, const std::wstring& path) {
    InfoLayerSettings s;
    const RegistryKey key = RegistryKey::Open(root, path.c_str(), KEY_READ | KEY_WRITE);
    if (key.IsOpen()) {
        ReadOrWriteBack(key, L"dwViewPortTop", s.viewport.top);
        ReadOrWriteBack(key, L"dwViewPortBottom", s.viewport.bottom);
        ReadOrWriteBack(key, L"dwViewPortLeft", s.viewport.left);
        ReadOrWriteBack(key, L"dwViewPortRight", s.viewport.right);
        ReadOrWriteBack(key, L"dwBackgroundColor", s.backgroundColor);
        ReadOrWriteBack(key, L"dwForegroundColor", s.foregroundColor);
        ReadOrWriteBack(key, L"dwRefreshTimeout", s.refreshMs);
        if (auto font = key.ReadString(L"szFontName", kMaxFontNameChars))
            s.fontName = std::move(*font);
        else
            key.WriteString(L"szFontName", s.fontName);
        ReadOrWriteBack(key, L"nFontHeight", s.fontHeight);
        ReadOrWriteBack(key, L"nFontWidth", s.fontWidth);
        ReadOrWriteBack(key, L"nFontWeight", s.fontWeight);
        ReadOrWriteBack(key, L"nFontQuality", s.fontQuality);
    }
    Normalise(s.viewport);
    return s;
}

}  // namespace tl
