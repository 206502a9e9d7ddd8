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

}  // namespace
}  // namespace tl
