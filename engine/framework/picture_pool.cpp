#include "engine/framework/picture_pool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tl {
namespace {

constexpr std::uintptr_t kPlaneAlignment = 256;
// The planes of all records lie in one block aligned to the size of a large
// page, which the system is asked to back with large pages: committing a
// picture then costs a few page faults instead of one per 4 KiB.
constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
constexpr int kBlackLuma = 16;
constexpr int kBlackChroma = 128;

std::uint8_t* alignUp(void* p, std::uintptr_t alignment) {
    const std::uintptr_t v = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<std::uint8_t*>((v + alignment - 1) & ~(alignment - 1));
}

void adviseLargePages(std::uint8_t* start, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const std::size_t whole = bytes & ~std::size_t(kLargePage - 1);
    if (whole) madvise(start, whole, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

}  // namespace

std::size_t PlaneAllocationSize(std::int32_t width, std::int32_t height) {
    return (std::size_t(width) + 1) * (std::size_t(height) + 16) + 512;
}

bool PicturePool::allocate(int count, const StreamState& s) {
    free();
    if (count <= 0) return false;
    planeSizes_[0] = PlaneAllocationSize(s.coded_width, s.coded_height);
    planeSizes_[1] = PlaneAllocationSize(s.chroma_width, s.chroma_height);
    const std::size_t pictureBytes = planeSizes_[0] + 2 * planeSizes_[1];
    const std::size_t bytes = pictureBytes * std::size_t(count);
    allocation_ = std::malloc(bytes + kLargePage);
    if (!allocation_) return false;
    std::uint8_t* next = alignUp(allocation_, kLargePage);
    adviseLargePages(next, bytes);
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<Picture>();
        for (int c = 0; c < 3; ++c) {
            p->planeAllocations[c] = next;
            p->planes[c] = alignUp(next, kPlaneAlignment);
            next += planeSizes_[c == 0 ? 0 : 1];
        }
        p->unpainted = 1;
        p->index = i;
        p->lumaSize = s.coded_width * s.coded_height;
        p->lumaStride = s.coded_width;
        p->chromaStride = s.chroma_width;
        p->chromaFormat = s.chroma_format != CHROMA_UNKNOWN ? s.chroma_format : CHROMA_420;
        order_.push_back(p.get());
        records_.push_back(std::move(p));
    }
    return true;
}

void PicturePool::allocateSurfaces(int count, const StreamState& s) {
    free();
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<Picture>();
        p->index = i;
        p->lumaSize = s.coded_width * s.coded_height;
        p->lumaStride = s.coded_width;
        p->chromaStride = s.chroma_width;
        p->chromaFormat = CHROMA_420;
        order_.push_back(p.get());
        records_.push_back(std::move(p));
    }
}

void PicturePool::free() {
    records_.clear();
    order_.clear();
    std::free(allocation_);
    allocation_ = nullptr;
}

// Records already in use come first: a stream that needs fewer pictures at
// once than the pool holds never commits the memory of the rest.
Picture* PicturePool::takeFree() {
    Picture* unpainted = nullptr;
    for (Picture* p : order_) {
        if (p->referenceCount != 0) continue;
        if (!p->unpainted) {
            moveToBack(p);
            return p;
        }
        if (!unpainted) unpainted = p;
    }
    if (unpainted) {
        paintBlack(*unpainted);
        moveToBack(unpainted);
    }
    return unpainted;
}

// Black (luma 16, chroma 128), so the macroblocks a damaged first picture
// leaves undecoded show black, not old memory or the green of zero bytes.
void PicturePool::paintBlack(Picture& p) {
    for (int c = 0; c < 3; ++c)
        std::memset(p.planeAllocations[c], c == 0 ? kBlackLuma : kBlackChroma, planeSizes_[c == 0 ? 0 : 1]);
    p.unpainted = 0;
}

void PicturePool::moveToBack(Picture* picture) {
    auto it = std::find(order_.begin(), order_.end(), picture);
    if (it == order_.end()) return;
    order_.erase(it);
    order_.push_back(picture);
}

}  // namespace tl
