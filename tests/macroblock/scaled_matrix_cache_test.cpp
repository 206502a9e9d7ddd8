// The scaled-matrix cache: unscaled weights for scale 1, hits, eviction of the
// least used entry, the per-slice counter reset and new matrices.
#include <gtest/gtest.h>

#include "engine/macroblock/scaled_matrix_cache.h"

namespace tl::test {
namespace {

StreamState streamWithMatrices(std::uint16_t base, std::uint32_t generation) {
    StreamState s;
    for (int i = 0; i < 64; ++i) {
        s.intra_quantiser_matrix[i] = static_cast<std::uint16_t>(base + i);
        s.non_intra_quantiser_matrix[i] = 16;
        s.chroma_intra_quantiser_matrix[i] = static_cast<std::uint16_t>(base + 2 * i);
        s.chroma_non_intra_quantiser_matrix[i] = 255;
    }
    s.matrix_generation = generation;
    return s;
}

TEST(ScaledMatrixCache, ScalesEachKindByTheQuantiserScale) {
    ScaledMatrixCache cache;
    cache.update(streamWithMatrices(8, 1));
    const std::uint16_t* unscaled = cache.get(MATRIX_INTRA_LUMA, 1);
    EXPECT_EQ(unscaled[10], 18);
    const std::uint16_t* m = cache.get(MATRIX_INTRA_CHROMA, 7);
    EXPECT_EQ(m[10], (8 + 20) * 7);
    // The largest product of the format still fits.
    EXPECT_EQ(cache.get(MATRIX_NON_INTRA_CHROMA, 112)[63], 255 * 112);
    EXPECT_EQ(cache.get(MATRIX_NON_INTRA_LUMA, 62)[0], 16 * 62);
}

TEST(ScaledMatrixCache, SeventhScaleEvictsTheLeastUsedEntry) {
    ScaledMatrixCache cache;
    cache.update(streamWithMatrices(1, 1));
    const int scales[6] = {2, 4, 6, 8, 10, 12};
    // A miss takes the least used entry and starts its counter at 0, so each
    // scale is used once more before the next miss to fill all six entries.
    for (int s : scales) {
        cache.get(MATRIX_NON_INTRA_LUMA, s);
        cache.get(MATRIX_NON_INTRA_LUMA, s);
    }
    // Use every entry but the one holding 8 once more.
    for (int s : {2, 4, 6, 10, 12}) cache.get(MATRIX_NON_INTRA_LUMA, s);
    const int base = MATRIX_NON_INTRA_LUMA * ScaledMatrixCache::kEntriesPerKind;
    EXPECT_EQ(cache.key(base + 3), 8u);
    EXPECT_EQ(cache.get(MATRIX_NON_INTRA_LUMA, 14)[5], 16 * 14);
    EXPECT_EQ(cache.key(base + 3), 14u);
    // Other kinds are untouched.
    EXPECT_EQ(cache.key(MATRIX_INTRA_LUMA * ScaledMatrixCache::kEntriesPerKind), 0xFFFFFFFFu);

    // After a reset every counter is 0 again: the first entry is the victim on ties.
    cache.resetCounters();
    for (int i = 0; i < 24; ++i) EXPECT_EQ(cache.uses(i), 0u);
    cache.get(MATRIX_NON_INTRA_LUMA, 16);
    EXPECT_EQ(cache.key(base + 0), 16u);
    // A hit keeps the entry and counts the use.
    cache.get(MATRIX_NON_INTRA_LUMA, 16);
    EXPECT_EQ(cache.uses(base + 0), 1u);
}

TEST(ScaledMatrixCache, NewMatricesReplaceEveryScaledEntry) {
    ScaledMatrixCache cache;
    cache.update(streamWithMatrices(10, 1));
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 40);
    cache.update(streamWithMatrices(20, 1));  // same generation: nothing changes
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 40);
    cache.update(streamWithMatrices(20, 2));
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 80);
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 1)[0], 20);
}

}  // namespace
}  // namespace tl::test
