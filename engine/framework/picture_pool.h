// The software picture buffers: a fixed number of picture records with their
// planes, kept in order of last use (front = used longest ago).
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "engine/base/picture.h"
#include "engine/framework/stream_state.h"

namespace tl {

inline constexpr int kSoftwarePictureCount = 5;
// The surface counts a DirectX VA connection may bring.
inline constexpr std::uint32_t kMinDxvaSurfaces = 4;
inline constexpr std::uint32_t kMaxDxvaSurfaces = 256;

// Bytes of one plane allocation: (width + 1) x (height + 16) + 512, so the
// 256-aligned start and the slice layer's overreach both stay inside.
std::size_t PlaneAllocationSize(std::int32_t width, std::int32_t height);

class PicturePool {
public:
    PicturePool() = default;
    PicturePool(const PicturePool&) = delete;
    PicturePool& operator=(const PicturePool&) = delete;
    ~PicturePool() { free(); }

    // Replaces the pool by `count` records with planes for the coded and chroma
    // sizes of `s`; false (and no records) when the planes cannot be allocated.
    bool allocate(int count, const StreamState& s);
    // DirectX VA: one record per accelerator surface, without planes; a
    // record's index is its surface index.
    void allocateSurfaces(int count, const StreamState& s);
    void free();

    // The record used longest ago that nobody holds, preferring records
    // handed out before, moved to the back; null when every record is held.
    Picture* takeFree();
    void moveToBack(Picture* picture);

    std::size_t size() const { return order_.size(); }
    // In order of last use, front first.
    const std::vector<Picture*>& order() const { return order_; }

private:
    void paintBlack(Picture& p);

    std::vector<std::unique_ptr<Picture>> records_;
    void* allocation_ = nullptr;          // the planes of every record
    std::size_t planeSizes_[2] = {0, 0};  // luma, each chroma plane
    std::vector<Picture*> order_;
};

}  // namespace tl
