// Weighting matrices pre-multiplied by the quantiser scale, so coefficients are
// inverse-quantised while they are decoded. Six entries per matrix kind keep
// the scales of a picture alive; the use counters are reset before every slice
// and a miss replaces the least used entry of its kind.
#pragma once
#include <cstdint>

#include "engine/framework/stream_state.h"

namespace tl {

enum MatrixKind : int {
    MATRIX_INTRA_LUMA = 0,
    MATRIX_NON_INTRA_LUMA = 1,
    MATRIX_INTRA_CHROMA = 2,
    MATRIX_NON_INTRA_CHROMA = 3,
};

class ScaledMatrixCache {
public:
    static constexpr int kEntriesPerKind = 6;

    ScaledMatrixCache();

    // Takes the stream's matrices when they changed since the last call (their
    // generation differs) and forgets every scaled entry built from the old ones.
    void update(const StreamState& stream);
    void resetCounters();

    // The weights of `kind` times `quantiser_scale` (low 16 bits of each product).
    // Inline: every coded macroblock asks, and nearly always hits.
    const std::uint16_t* get(MatrixKind kind, std::int32_t quantiser_scale) {
        if (quantiser_scale == 1) return weights_[kind];
        const std::uint32_t scale = static_cast<std::uint32_t>(quantiser_scale);
        Entry* group = entries_ + kind * kEntriesPerKind;
        for (int i = 0; i < kEntriesPerKind; ++i) {
            if (group[i].key == scale) {
                ++group[i].uses;
                return scaled_[kind * kEntriesPerKind + i];
            }
        }
        return miss(kind, scale);
    }

    // For tests: the use counter of entry `index` (0..23) and its key.
    std::uint32_t uses(int index) const { return entries_[index].uses; }
    std::uint32_t key(int index) const { return entries_[index].key; }

private:
    static constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;
    struct Entry {
        std::uint32_t key;
        std::uint32_t uses;
    };

    const std::uint16_t* miss(MatrixKind kind, std::uint32_t scale);

    Entry entries_[4 * kEntriesPerKind];
    alignas(64) std::uint16_t weights_[4][64];
    alignas(64) std::uint16_t scaled_[4 * kEntriesPerKind][64];
    std::uint32_t generation_ = 0;
    bool loaded_ = false;
};

}  // namespace tl
