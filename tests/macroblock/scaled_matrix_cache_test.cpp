// The scaled-matrix cache: unscaled weights for scale 1, each kind scaled, and
// new matrices replacing what was scaled. Which entry a miss evicts is speed only.
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
