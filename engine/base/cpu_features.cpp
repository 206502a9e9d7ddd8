#include "engine/base/cpu_features.h"

#include <cpuid.h>

namespace tl {

std::uint32_t cpuFeatureWord() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid_max(0, nullptr) < 1) return 0;
    __cpuid(1, eax, ebx, ecx, edx);
    return (edx & ~cpu_bit::sse3) | ((ecx & 1u) << 20);
}

KernelTier tierOfFeatures(std::uint32_t features) {
    constexpr std::uint32_t kBits[] = {cpu_bit::mmx, cpu_bit::sse, cpu_bit::sse2, cpu_bit::sse3};
    KernelTier tier = KernelTier::Plain;
    for (std::uint32_t bit : kBits) {
        if (!(features & bit)) break;
        tier = KernelTier(int(tier) + 1);
    }
    return tier;
}

KernelTier detectedKernelTier() {
    static const KernelTier detected = tierOfFeatures(cpuFeatureWord());
    return detected;
}

}  // namespace tl
