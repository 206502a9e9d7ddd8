// Images for layers through the Windows Imaging Component: any format the
// platform decodes (BMP, PNG, JPEG, GIF, TIFF) into premultiplied B, G, R, A,
// and fitting a decoded image to another size.
#pragma once
#include <windows.h>

#include <objidl.h>

#include "filter/osd/content_surface.h"

namespace tl {

HRESULT DecodeImageFile(const wchar_t* path, ContentSurface& image);
HRESULT DecodeImageStream(IStream* stream, ContentSurface& image);
// The image scaled to width x height; smooth selects linear interpolation
// over nearest neighbour.
HRESULT ScaleImage(const ContentSurface& image, int width, int height, bool smooth, ContentSurface& scaled);

// The bytes of resource `id` of type `typeName` in this module as a stream
// that owns a copy of them. E_FAIL when the module has no such resource.
HRESULT OpenResourceStream(const wchar_t* typeName, int id, IStream** stream);

}  // namespace tl
