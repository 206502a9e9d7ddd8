// The decoder's layer overlay: a picture-sized surface of premultiplied
// B, G, R, A pixels, one mask byte per row (nonzero when the row holds any
// alpha), and the queue of damaged rectangles still to be redrawn.
//
// Threads: queueDamage and damage may be called from any thread and touch only
// the queue, under the overlay lock. Everything else belongs to the worker,
// which composes before it converts a picture, so the conversion never reads a
// half-drawn surface. The lock is never held while the layer tree draws.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/framework/damage_queue.h"
#include "engine/framework/overlay_painter.h"

namespace tl {

class Overlay {
public:
    // Any thread.
    void queueDamage(const DamageRect* rects, int count);
    std::vector<DamageRect> damage() const;

    // A new surface of width x height pixels (its contents undefined until
    // drawn), the mask cleared, nothing active, and the whole surface queued.
    // False when the memory is not there; the overlay is then empty.
    bool rebuild(std::int32_t width, std::int32_t height);
    void release();

    // Redraws every queued rectangle: cleared, drawn by the painter (none: left
    // clear), its rows' mask bytes recomputed and, for YUY2 output, turned into
    // the YUY2 form. Then the first and last rows that hold alpha are found and
    // the overlay becomes active once any row does; it never goes inactive again
    // until the next rebuild, although its rows may all become empty.
    // `redrawn`, when given, is told of every rectangle once it is drawn.
    void compose(OverlayPainter* painter, bool yuy2Form,
                 const std::function<void(const DamageRect&)>& redrawn = nullptr);

    const std::uint32_t* surface() const { return reinterpret_cast<const std::uint32_t*>(surface_); }
    const std::uint8_t* rowMask() const { return rowMask_.empty() ? nullptr : rowMask_.data(); }
    bool active() const { return active_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    // Rows holding alpha: [firstRow, lastRow]; firstRow = height and lastRow = 0 when none does.
    std::int32_t firstRow() const { return firstRow_; }
    std::int32_t lastRow() const { return lastRow_; }

private:
    bool popDamage(DamageRect& rect);
    std::uint8_t rowAlpha(std::int32_t row) const;

    mutable std::mutex mutex_;  // the overlay lock: the damage queue only
    std::vector<DamageRect> damage_;

    std::unique_ptr<std::uint8_t[]> allocation_;
    std::uint8_t* surface_ = nullptr;
    std::vector<std::uint8_t> rowMask_;
    std::int32_t width_ = 0, height_ = 0;
    std::int32_t firstRow_ = 0, lastRow_ = 0;
    bool active_ = false;
};

}  // namespace tl
