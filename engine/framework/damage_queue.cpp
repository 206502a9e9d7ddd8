#include "engine/framework/damage_queue.h"

#include <algorithm>

namespace tl {
namespace {

bool overlaps(const DamageRect& a, const DamageRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

void MergeDamageRect(std::vector<DamageRect>& queue, DamageRect rect) {
    rect.left &= ~3;  // floor to a multiple of 4, negative edges included
    rect.right = (rect.right + 3) & ~3;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    for (std::size_t i = 0; i < queue.size();) {
        if (!overlaps(queue[i], rect)) {
            ++i;
            continue;
        }
        const DamageRect& q = queue[i];
        rect = {std::min(rect.left, q.left), std::min(rect.top, q.top), std::max(rect.right, q.right),
                std::max(rect.bottom, q.bottom)};
        queue.erase(queue.begin() + std::ptrdiff_t(i));
        i = 0;  // the grown rectangle may now reach ones already passed
    }
    queue.push_back(rect);
}

}  // namespace tl
