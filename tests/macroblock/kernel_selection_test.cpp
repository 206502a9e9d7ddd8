#include <gtest/gtest.h>

#include "engine/macroblock/kernel_slots.h"

namespace tl {
namespace {

TEST(KernelSelection, ForcingATierSwitchesTheActiveSlotsAndIsClamped) {
    const KernelTier detected = detectedKernelTier();
    for (int t = 0; t <= static_cast<int>(detected); ++t) {
        const auto tier = static_cast<KernelTier>(t);
        forceKernelTier(tier);
        EXPECT_EQ(activeKernelTier(), tier);
        EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(tier));
    }
    forceKernelTier(KernelTier::AVX2);  // the highest tier there is
    EXPECT_EQ(activeKernelTier(), detected);
    EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(detected));
}

}  // namespace
}  // namespace tl
