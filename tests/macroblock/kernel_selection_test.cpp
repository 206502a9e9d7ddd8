#include <gtest/gtest.h>

#include "engine/base/cpu_features.h"
#include "engine/macroblock/kernel_slots.h"

namespace tl {
namespace {

TEST(KernelSelection, DetectedTierFollowsTheFeatureWord) {
    const std::uint32_t word = cpuFeatureWord();
    KernelTier expected = KernelTier::Plain;
    if (word & cpu_bit::mmx) expected = KernelTier::MMX;
    if (word & cpu_bit::sse) expected = KernelTier::SSE;
    if (word & cpu_bit::sse2) expected = KernelTier::SSE2;
    if (word & cpu_bit::sse3) expected = KernelTier::SSE3;
    EXPECT_EQ(detectedKernelTier(), expected);
}

TEST(KernelSelection, ForcingATierSwitchesTheActiveSlotsAndIsClamped) {
    const KernelTier detected = detectedKernelTier();
    for (int t = 0; t <= static_cast<int>(detected); ++t) {
        const auto tier = static_cast<KernelTier>(t);
        forceKernelTier(tier);
        EXPECT_EQ(activeKernelTier(), tier);
        EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(tier));
    }
    forceKernelTier(KernelTier::SSE3);
    EXPECT_EQ(activeKernelTier(), detected);
    EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(detected));
}

TEST(KernelSelection, EveryTierFillsEverySlot) {
    for (int t = 0; t <= static_cast<int>(KernelTier::SSE3); ++t) {
        const KernelSlots& s = kernelSlotsFor(static_cast<KernelTier>(t));
        EXPECT_TRUE(s.idct && s.scaleMatrix && s.clearBlock && s.clearFourBlocks) << t;
        EXPECT_TRUE(s.intraStore16Frame && s.intraStore16Field && s.addResidual16Frame && s.addResidual16Field) << t;
        EXPECT_TRUE(s.addResidual8 && s.intraStore8 && s.intraStore8x16Frame && s.intraStore8x16Field) << t;
        for (auto fn : s.predictWide) EXPECT_TRUE(fn) << t;
        for (auto fn : s.predictNarrow) EXPECT_TRUE(fn) << t;
        for (auto fn : s.averageWide) EXPECT_TRUE(fn) << t;
        for (auto fn : s.averageNarrow) EXPECT_TRUE(fn) << t;
    }
}

}  // namespace
}  // namespace tl
