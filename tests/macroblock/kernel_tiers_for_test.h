// The kernel tiers this processor can run, for tests that compare every tier
// with the plain reference.
#pragma once
#include <string>
#include <vector>

#include "engine/macroblock/kernel_slots.h"

namespace tl::test {

inline std::vector<KernelTier> runnableTiers() {
    std::vector<KernelTier> tiers;
    for (int t = 0; t <= static_cast<int>(detectedKernelTier()); ++t) tiers.push_back(static_cast<KernelTier>(t));
    return tiers;
}

inline std::string tierName(KernelTier tier) {
    static const char* const names[] = {"Plain", "MMX", "SSE", "SSE2", "SSE3", "AVX2"};
    return names[static_cast<int>(tier)];
}

}  // namespace tl::test
