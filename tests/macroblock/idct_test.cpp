#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

struct alignas(16) Blocks {
    std::int16_t v[4 * 64];
};

TEST(Idct, DcOfEightTimesValueGivesValueEverywhere) {
    for (KernelTier tier : test::runnableTiers()) {
        // Beyond about +-511 the row pass saturates at 16 bits.
        for (int v : {0, 1, -1, 7, -8, 100, -100, 255, -256, 510, -512}) {
            Blocks b{};
            b.v[0] = static_cast<std::int16_t>(8 * v);
            kernelSlotsFor(tier).idct(b.v, 1);
            for (int i = 0; i < 64; ++i) {
                ASSERT_EQ(b.v[i], v) << test::tierName(tier) << " dc " << 8 * v << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace tl
