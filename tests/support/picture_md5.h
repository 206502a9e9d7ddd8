// The digest the corpus records for one displayed picture: the visible Y rows,
// then Cb, then Cr, each row cut to the visible width (chroma rounded up).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/base/picture.h"

namespace tl::test {

struct PlaneView {
    const std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// Visible chroma size for chroma_format 1 (4:2:0), 2 (4:2:2) or 3 (4:4:4).
int chroma_width(int width, int chromaFormat);
int chroma_height(int height, int chromaFormat);

std::string planes_md5(const PlaneView& y, const PlaneView& cb, const PlaneView& cr);

}  // namespace tl::test
