#include "convert/vertical_rules.h"

namespace tl {

RowPair weaveChromaPair(int r, int height, int chromaRows) {
    const int n = chromaRows;
    RowPair p;
    if (r == 0) {
        p = {0, 0};
    } else if (r == 1) {
        p = {0, 1};
    } else if (r == height - 1) {
        p = {n - 1, n - 1};
    } else if (r == height - 2) {
        p = {n - 2, n - 1};
    } else {
        const int j = (r - 2) / 4;
        switch ((r - 2) % 4) {
        case 0: p = {2 * j, 2 * j + 2}; break;
        case 1: p = {2 * j + 1, 2 * j + 1}; break;
        case 2: p = {2 * j + 2, 2 * j + 2}; break;
        default: p = {2 * j + 1, 2 * j + 3}; break;
        }
    }
    return {clampRow(p.a, n), clampRow(p.b, n)};
}

}  // namespace tl
