// Rectangles of the layer overlay that changed since the compositor last ran.
#pragma once
#include <cstdint>
#include <vector>

namespace tl {

struct DamageRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const DamageRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Adds a rectangle with its horizontal edges widened to multiples of 4, merging
// it with every queued rectangle it overlaps, so the queue stays a set of
// disjoint rectangles. Empty rectangles are ignored.
void MergeDamageRect(std::vector<DamageRect>& queue, DamageRect rect);

}  // namespace tl
