// Pictures, overlays and destination buffers for the conversion tests, laid
// out as the picture pool and the compositor lay them out.
#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "convert/conversion_kernels.h"
#include "convert/dispatch.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl::test {

// A picture with engine-style planes: strides of the coded (macroblock-
// multiple) size, 256-byte-aligned starts, one spare column and 16 spare rows.
class TestPicture {
public:
    TestPicture(int width, int height, int chromaFormat);

    Picture& picture() { return picture_; }
    int chromaWidth() const { return picture_.chromaStride; }
    std::uint8_t* row(int plane, int r) {
        return picture_.planes[plane] + r * (plane == 0 ? picture_.lumaStride : picture_.chromaStride);
    }
    // Every sample of every plane, padding included, random with frequent 0 and 255.
    void fillRandom(std::mt19937& rng);
    // Each row of a plane set to one value.
    void fillRows(int plane, const std::vector<int>& rowValues);

private:
    Picture picture_;
    std::vector<std::unique_ptr<std::uint8_t[]>> storage_;
    std::size_t planeBytes_[3] = {0, 0, 0};
};

// Overlay surface (coded width x coded height pixels) and its row mask.
struct TestOverlay {
    TestOverlay(const Picture& p, std::mt19937& rng);
    std::vector<std::uint32_t> surface;
    std::vector<std::uint8_t> mask;
};

// A destination of `rows` rows `pitch` apart starting `offset` bytes past a
// 64-byte boundary, with guard bytes after it; all bytes start as 0xCD.
class TestBuffer {
public:
    TestBuffer(int pitch, int rows, int offset);
    std::uint8_t* data() { return data_; }
    // The rows and the guard after them.
    std::vector<std::uint8_t> region() const { return {data_, data_ + size_ + kGuard}; }
    // Bytes past pitch * rows that still hold the fill.
    bool guardIntact() const;

    static constexpr int kGuard = 96;

private:
    std::vector<std::uint8_t> bytes_;
    std::uint8_t* data_;
    std::size_t size_;
};

KernelArgs kernelArgs(const Picture& p, std::uint8_t* dst, int rowPitch, const TestOverlay* overlay,
                      const RgbMatrixBlock* matrix);

std::string describe(const KernelKey& key);

}  // namespace tl::test
