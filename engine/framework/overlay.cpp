#include "engine/framework/overlay.h"

#include <algorithm>
#include <new>

#include "convert/overlay_blitters.h"

namespace tl {
namespace {

constexpr std::uintptr_t kSurfaceAlignment = 128;
constexpr std::size_t kAllocationSpare = 256;
constexpr int kBytesPerPixel = 4;

}  // namespace

void Overlay::queueDamage(const DamageRect* rects, int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < count; ++i) MergeDamageRect(damage_, rects[i]);
}

std::vector<DamageRect> Overlay::damage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return damage_;
}

bool Overlay::popDamage(DamageRect& rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (damage_.empty()) return false;
    rect = damage_.front();
    damage_.erase(damage_.begin());
    return true;
}

bool Overlay::rebuild(std::int32_t width, std::int32_t height) {
    release();
    if (width <= 0 || height <= 0) return true;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * kBytesPerPixel + kAllocationSpare;
    allocation_.reset(new (std::nothrow) std::uint8_t[bytes]);
    if (!allocation_) return false;
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(allocation_.get());
    surface_ = allocation_.get() + ((kSurfaceAlignment - base % kSurfaceAlignment) % kSurfaceAlignment);
    rowMask_.assign(std::size_t(height), 0);
    width_ = width;
    height_ = height;
    std::lock_guard<std::mutex> lock(mutex_);
    damage_.clear();
    MergeDamageRect(damage_, DamageRect{0, 0, width, height});
    return true;
}

void Overlay::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        damage_.clear();
    }
    allocation_.reset();
    surface_ = nullptr;
    rowMask_.clear();
    width_ = height_ = firstRow_ = lastRow_ = 0;
    active_ = false;
}

std::uint8_t Overlay::rowAlpha(std::int32_t row) const {
    // In the YUY2 form the fourth byte of a pair's second pixel is a_avg, which
    // is 0 exactly when both alphas are, so the test holds in either form.
    const std::uint8_t* p = surface_ + std::size_t(row) * std::size_t(width_) * kBytesPerPixel;
    std::uint8_t any = 0;
    for (std::int32_t x = 0; x < width_; ++x) any |= p[x * kBytesPerPixel + 3];
    return any;
}

void Overlay::compose(OverlayPainter* painter, bool yuy2Form, const std::function<void(const DamageRect&)>& redrawn) {
    if (!surface_) return;
    const OverlayRoutines& routines = overlayRoutines();
    const int pitch = width_ * kBytesPerPixel;
    bool composed = false;
    DamageRect r;
    while (popDamage(r)) {
        r = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width_), std::min(r.bottom, height_)};
        if (r.left >= r.right || r.top >= r.bottom) continue;
        composed = true;
        std::uint8_t* corner = surface_ + std::ptrdiff_t(r.top) * pitch + std::ptrdiff_t(r.left) * kBytesPerPixel;
        const int w = r.right - r.left, h = r.bottom - r.top;
        routines.clear(corner, pitch, w, h);
        if (painter) painter->render(corner, pitch, r);
        for (std::int32_t y = r.top; y < r.bottom; ++y) rowMask_[std::size_t(y)] = rowAlpha(y);
        if (yuy2Form) routines.toYuy2Form(corner, pitch, w, h);
        if (redrawn) redrawn(r);
    }
    if (!composed) return;
    const auto first = std::find_if(rowMask_.begin(), rowMask_.end(), [](std::uint8_t m) { return m != 0; });
    if (first == rowMask_.end()) {
        firstRow_ = height_;
        lastRow_ = 0;
        return;
    }
    const auto last = std::find_if(rowMask_.rbegin(), rowMask_.rend(), [](std::uint8_t m) { return m != 0; });
    firstRow_ = std::int32_t(first - rowMask_.begin());
    lastRow_ = std::int32_t(rowMask_.rend() - last) - 1;
    active_ = true;
}

}  // namespace tl
