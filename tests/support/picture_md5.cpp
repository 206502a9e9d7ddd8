#include "tests/support/picture_md5.h"

#include "tools/common/md5.h"

namespace tl::test {

using tools::Md5;
using tools::to_hex;

int chroma_width(int width, int chromaFormat) { return chromaFormat == 3 ? width : (width + 1) / 2; }

int chroma_height(int height, int chromaFormat) { return chromaFormat == 1 ? (height + 1) / 2 : height; }

std::string planes_md5(const PlaneView& y, const PlaneView& cb, const PlaneView& cr) {
    Md5 md5;
    for (const PlaneView* plane : {&y, &cb, &cr})
        for (int row = 0; row < plane->height; ++row)
            md5.update(plane->data + row * plane->stride, std::size_t(plane->width));
    return to_hex(md5.finish());
}

}  // namespace tl::test
