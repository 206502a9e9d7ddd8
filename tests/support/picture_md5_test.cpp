#include "tests/support/picture_md5.h"

#include <gtest/gtest.h>

#include <vector>

#include "tools/common/md5.h"

namespace tl::test {

using tools::md5_hex;
namespace {

struct SizeCase {
    int width, height, chromaFormat;
    int chromaWidth, chromaHeight;
};

// Odd visible sizes round the subsampled chroma up.
const SizeCase kSizes[] = {
    {5, 3, 1, 3, 2},
    {5, 3, 2, 3, 3},
    {5, 3, 3, 5, 3},
    {352, 200, 1, 176, 100},
    {330, 250, 2, 165, 250},
};

// A picture whose rows are padded with bytes that must not reach the digest.
TEST(PictureMd5, HashesOnlyTheVisibleArea) {
    for (const auto& c : kSizes) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " format " << c.chromaFormat);
        EXPECT_EQ(chroma_width(c.width, c.chromaFormat), c.chromaWidth);
        EXPECT_EQ(chroma_height(c.height, c.chromaFormat), c.chromaHeight);

        const int lumaStride = (c.width + 15) / 16 * 16 + 16;
        const int chromaStride = c.chromaWidth + 8;
        std::vector<std::uint8_t> planes[3] = {
            std::vector<std::uint8_t>(std::size_t(lumaStride) * (c.height + 2), 0xEE),
            std::vector<std::uint8_t>(std::size_t(chromaStride) * (c.chromaHeight + 2), 0xEE),
            std::vector<std::uint8_t>(std::size_t(chromaStride) * (c.chromaHeight + 2), 0xEE),
        };
        std::vector<std::uint8_t> packed;
        for (int p = 0; p < 3; ++p) {
            const int w = p == 0 ? c.width : c.chromaWidth;
            const int h = p == 0 ? c.height : c.chromaHeight;
            const int stride = p == 0 ? lumaStride : chromaStride;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const auto value = std::uint8_t(p * 80 + y * 13 + x * 3);
                    planes[p][std::size_t(y) * stride + x] = value;
                    packed.push_back(value);
                }
            }
        }
        Picture picture;
        picture.width = c.width;
        picture.height = c.height;
        picture.chromaFormat = c.chromaFormat;
        picture.lumaStride = lumaStride;
        picture.chromaStride = chromaStride;
        for (int p = 0; p < 3; ++p) {
            picture.planes[p] = planes[p].data();
        }
        EXPECT_EQ(picture_md5(picture), md5_hex(packed.data(), packed.size()));
    }
}

}  // namespace
}  // namespace tl::test
