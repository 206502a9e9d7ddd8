// The uncompressed surfaces of the software accelerator: 4:2:0 planes at the
// macroblock size of the pictures decoded into them.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace tl::dxva_soft {

struct Surface {
    std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};
    int strides[3] = {0, 0, 0};
    int width = 0;   // luma samples per line
    int height = 0;  // luma lines
};

class SurfaceSet {
public:
    explicit SurfaceSet(int count) : count_(count) {}
    int count() const { return count_; }
    // Gives every surface planes of width x height (luma), black, when the size changes.
    void resize(int width, int height);
    Surface* at(int index) { return index >= 0 && index < int(surfaces_.size()) ? &surfaces_[index] : nullptr; }
    const Surface* at(int index) const {
        return index >= 0 && index < int(surfaces_.size()) ? &surfaces_[index] : nullptr;
    }

private:
    int count_;
    int width_ = 0, height_ = 0;
    std::vector<Surface> surfaces_;
    std::vector<std::unique_ptr<std::uint8_t[]>> memory_;
};

}  // namespace tl::dxva_soft
