#include "convert_test_support.h"

#include <cstring>

namespace tl::test {

TestPicture::TestPicture(int width, int height, int chromaFormat) {
    const int codedWidth = (width + 15) / 16 * 16;
    const int codedHeight = (height + 15) / 16 * 16;
    const int chromaWidth = chromaFormat == 3 ? codedWidth : codedWidth / 2;
    const int chromaHeight = chromaFormat == 1 ? codedHeight / 2 : codedHeight;
    picture_.width = width;
    picture_.height = height;
    picture_.lumaStride = codedWidth;
    picture_.chromaStride = chromaWidth;
    picture_.chromaFormat = chromaFormat;
    picture_.lumaSize = codedWidth * codedHeight;
    const int sizes[3][2] = {{codedWidth, codedHeight}, {chromaWidth, chromaHeight}, {chromaWidth, chromaHeight}};
    for (int i = 0; i < 3; ++i) {
        planeBytes_[i] = static_cast<std::size_t>(sizes[i][0] + 1) * (sizes[i][1] + 16);
        storage_.emplace_back(new std::uint8_t[planeBytes_[i] + 512]);
        const auto base = reinterpret_cast<std::uintptr_t>(storage_.back().get());
        picture_.planes[i] = storage_.back().get() + ((256 - base % 256) % 256);
        std::memset(picture_.planes[i], 0, planeBytes_[i]);
    }
}

void TestPicture::fillRandom(std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 7);
    for (int i = 0; i < 3; ++i)
        for (std::size_t k = 0; k < planeBytes_[i]; ++k) {
            const int c = kind(rng);
            picture_.planes[i][k] = static_cast<std::uint8_t>(c == 0 ? 0 : c == 1 ? 255 : byte(rng));
        }
}

void TestPicture::fillRows(int plane, const std::vector<int>& rowValues) {
    const int stride = plane == 0 ? picture_.lumaStride : picture_.chromaStride;
    for (std::size_t r = 0; r < rowValues.size(); ++r)
        std::memset(row(plane, static_cast<int>(r)), rowValues[r], static_cast<std::size_t>(stride) + 1);
}

TestOverlay::TestOverlay(const Picture& p, std::mt19937& rng) {
    const int rows = (p.height + 15) / 16 * 16;
    surface.resize(static_cast<std::size_t>(p.lumaStride) * rows);
    mask.resize(static_cast<std::size_t>(rows));
    std::uniform_int_distribution<std::uint32_t> word(0, 0xFFFFFFFFu);
    std::uniform_int_distribution<int> kind(0, 3);
    for (auto& px : surface) {
        // Mostly transparent pixels, some with stray colour bytes; the rest anything.
        px = word(rng);
        if (kind(rng) < 2) px &= 0x00FFFFFFu;
        if (kind(rng) == 0) px = 0;
    }
    for (std::size_t r = 0; r < mask.size(); ++r) mask[r] = static_cast<std::uint8_t>(r % 3 == 1 ? 0 : 1 + r % 7);
}

TestBuffer::TestBuffer(int pitch, int rows, int offset) {
    size_ = static_cast<std::size_t>(pitch) * rows;
    bytes_.assign(size_ + kGuard + 64 + offset, 0xCD);
    const auto base = reinterpret_cast<std::uintptr_t>(bytes_.data());
    data_ = bytes_.data() + (64 - base % 64) % 64 + offset;
}

bool TestBuffer::guardIntact() const {
    for (int i = 0; i < kGuard; ++i)
        if (data_[size_ + i] != 0xCD) return false;
    return true;
}

KernelArgs kernelArgs(const Picture& p, std::uint8_t* dst, int rowPitch, const TestOverlay* overlay,
                      const RgbMatrixBlock* matrix) {
    // A destination of the picture's height; the overlay's rows as wide as the luma rows.
    return {dst, rowPitch, {p.planes[0], p.planes[1], p.planes[2]}, p.lumaStride, p.chromaStride, p.width, p.height, 0,
            overlay ? overlay->surface.data() : nullptr, p.lumaStride, overlay ? overlay->mask.data() : nullptr, matrix};
}

std::string describe(const KernelKey& k) {
    static const char* const kFormats[] = {"YUY2", "UYVY", "YVYU", "YV12", "RGB32", "RGB24", "RGB565", "RGB555"};
    static const char* const kClasses[] = {"progressive", "weave", "bob", "field-top", "field-bottom"};
    static const char* const kLayouts[] = {"4:2:0", "4:2:2", "4:4:4"};
    return std::string(kFormats[k.format]) + " " + kClasses[static_cast<int>(k.vertical)] + " " +
           kLayouts[static_cast<int>(k.chroma)] + (k.colorCorrection ? " corrected" : "") +
           (k.overlay ? " overlay" : "");
}

}  // namespace tl::test
