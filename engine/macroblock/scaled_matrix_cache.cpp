#include "engine/macroblock/scaled_matrix_cache.h"

#include <cstring>

#include "engine/macroblock/kernel_slots.h"

namespace tl {

ScaledMatrixCache::ScaledMatrixCache() {
    for (Entry& e : entries_) e = Entry{kNoKey, 0};
    std::memset(weights_, 0, sizeof weights_);
    std::memset(scaled_, 0, sizeof scaled_);
}

void ScaledMatrixCache::update(const StreamState& stream) {
    if (loaded_ && stream.matrix_generation == generation_) return;
    std::memcpy(weights_[MATRIX_INTRA_LUMA], stream.intra_quantiser_matrix, 128);
    std::memcpy(weights_[MATRIX_NON_INTRA_LUMA], stream.non_intra_quantiser_matrix, 128);
    std::memcpy(weights_[MATRIX_INTRA_CHROMA], stream.chroma_intra_quantiser_matrix, 128);
    std::memcpy(weights_[MATRIX_NON_INTRA_CHROMA], stream.chroma_non_intra_quantiser_matrix, 128);
    for (Entry& e : entries_) e = Entry{kNoKey, 0};
    generation_ = stream.matrix_generation;
    loaded_ = true;
}

void ScaledMatrixCache::resetCounters() {
    for (Entry& e : entries_) e.uses = 0;
}

const std::uint16_t* ScaledMatrixCache::miss(MatrixKind kind, std::uint32_t scale) {
    Entry* group = entries_ + kind * kEntriesPerKind;
    int victim = 0;
    for (int i = 1; i < kEntriesPerKind; ++i)
        if (group[i].uses < group[victim].uses) victim = i;
    group[victim] = Entry{scale, 0};
    std::uint16_t* matrix = scaled_[kind * kEntriesPerKind + victim];
    kernelSlots().scaleMatrix(matrix, weights_[kind], static_cast<int>(scale));
    return matrix;
}

}  // namespace tl
