#include "engine/framework/picture_pool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tl {
namespace {

constexpr std::uintptr_t kPlaneAlignment = 256;
constexpr int kBlackLuma = 16;
constexpr int kBlackChroma = 128;

std::uint8_t* alignUp(void* p) {
    const std::uintptr_t v = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<std::uint8_t*>((v + kPlaneAlignment - 1) & ~(kPlaneAlignment - 1));
}

void freePlanes(Picture& p) {
    for (int i = 0; i < 3; ++i) {
        std::free(p.planeAllocations[i]);
        p.planeAllocations[i] = nullptr;
        p.planes[i] = nullptr;
    }
}

}  // namespace

std::size_t PlaneAllocationSize(std::int32_t width, std::int32_t height) {
    return (std::size_t(width) + 1) * (std::size_t(height) + 16) + 512;
}

bool PicturePool::allocate(int count, const StreamState& s) {
    free();
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<Picture>();
        const std::size_t sizes[3] = {PlaneAllocationSize(s.coded_width, s.coded_height),
                                      PlaneAllocationSize(s.chroma_width, s.chroma_height),
                                      PlaneAllocationSize(s.chroma_width, s.chroma_height)};
        bool ok = true;
        for (int c = 0; c < 3 && ok; ++c) {
            p->planeAllocations[c] = std::malloc(sizes[c]);
            ok = p->planeAllocations[c] != nullptr;
            if (ok) p->planes[c] = alignUp(p->planeAllocations[c]);
        }
        if (!ok) {
            freePlanes(*p);
            continue;
        }
        p->unpainted = 1;
        planeSizes_[0] = sizes[0];
        planeSizes_[1] = sizes[1];
        p->index = std::int32_t(records_.size());
        p->lumaSize = s.coded_width * s.coded_height;
        p->lumaStride = s.coded_width;
        p->chromaStride = s.chroma_width;
        p->chromaFormat = s.chroma_format != CHROMA_UNKNOWN ? s.chroma_format : CHROMA_420;
        order_.push_back(p.get());
        records_.push_back(std::move(p));
    }
    return !records_.empty();
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
    for (auto& p : records_) freePlanes(*p);
    records_.clear();
    order_.clear();
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
