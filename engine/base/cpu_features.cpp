#include "engine/base/cpu_features.h"

#include <cpuid.h>

namespace tl {

namespace {

bool avx2Usable(unsigned leaf1Ecx) {
    constexpr unsigned kOsxsave = 1u << 27, kAvx = 1u << 28;
    if ((leaf1Ecx & (kOsxsave | kAvx)) != (kOsxsave | kAvx) || __get_cpuid_max(0, nullptr) < 7) return false;
    unsigned xcr0 = 0, xcr0High = 0;
    __asm__ volatile("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
    constexpr unsigned kSseAndAvxState = 6;
    if ((xcr0 & kSseAndAvxState) != kSseAndAvxState) return false;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    return (ebx & (1u << 5)) != 0;
}

}  // namespace

std::uint32_t cpuFeatureWord() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid_max(0, nullptr) < 1) return 0;
    __cpuid(1, eax, ebx, ecx, edx);
    const std::uint32_t word = (edx & ~(cpu_bit::sse3 | cpu_bit::avx2)) | ((ecx & 1u) << 20);
    return avx2Usable(ecx) ? word | cpu_bit::avx2 : word;
}

KernelTier tierOfFeatures(std::uint32_t features) {
    constexpr std::uint32_t kBits[] = {cpu_bit::mmx, cpu_bit::sse, cpu_bit::sse2, cpu_bit::sse3, cpu_bit::avx2};
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
