#include "engine/macroblock/kernel_slots.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "engine/framework/cpu_features.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl {
namespace {

using kernels::MotionKernels;

constexpr int tierCount = 5;

// Entries a tier leaves empty keep the kernel of the tier below.
template <class Fn, std::size_t n>
void overlay(Fn (&slots)[n], const std::array<Fn, n>& tier) {
    for (std::size_t i = 0; i < n; ++i) {
        if (tier[i]) slots[i] = tier[i];
    }
}

void overlayMotion(KernelSlots& s, const MotionKernels& m) {
    overlay(s.predictWide, m.predictWide);
    overlay(s.predictNarrow, m.predictNarrow);
    overlay(s.averageWide, m.averageWide);
    overlay(s.averageNarrow, m.averageNarrow);
}

KernelSlots plainSlots() {
    namespace k = kernels::plain;
    KernelSlots s{};
    s.idct = k::idct;
    s.scaleMatrix = k::scaleMatrix;
    s.clearBlock = k::clearBlock;
    s.clearFourBlocks = k::clearFourBlocks;
    s.intraStore16Frame = k::intraStore16Frame;
    s.intraStore16Field = k::intraStore16Field;
    s.addResidual16Frame = k::addResidual16Frame;
    s.addResidual16Field = k::addResidual16Field;
    s.addResidual8 = k::addResidual8;
    s.intraStore8 = k::intraStore8;
    s.intraStore8x16Frame = k::intraStore8x16Frame;
    s.intraStore8x16Field = k::intraStore8x16Field;
    overlayMotion(s, k::motion);
    return s;
}

KernelSlots mmxSlots() {
    namespace k = kernels::mmx;
    KernelSlots s{};
    s.idct = k::idct;
    s.scaleMatrix = k::scaleMatrix;
    s.clearBlock = k::clearBlock;
    s.clearFourBlocks = k::clearFourBlocks;
    s.intraStore16Frame = k::intraStore16Frame;
    s.intraStore16Field = k::intraStore16Field;
    s.addResidual16Frame = k::addResidual16Frame;
    s.addResidual16Field = k::addResidual16Field;
    s.addResidual8 = k::addResidual8;
    s.intraStore8 = k::intraStore8;
    s.intraStore8x16Frame = k::intraStore8x16Frame;
    s.intraStore8x16Field = k::intraStore8x16Field;
    overlayMotion(s, k::motion);
    return s;
}

KernelSlots sseSlots() {
    namespace k = kernels::sse;
    KernelSlots s = mmxSlots();
    s.idct = k::idct;
    overlayMotion(s, k::motion);
    return s;
}

KernelSlots sse2Slots() {
    namespace k = kernels::sse2;
    KernelSlots s = sseSlots();
    s.idct = k::idct;
    s.scaleMatrix = k::scaleMatrix;
    s.clearBlock = k::clearBlock;
    s.clearFourBlocks = k::clearFourBlocks;
    s.intraStore16Frame = k::intraStore16Frame;
    s.intraStore16Field = k::intraStore16Field;
    s.addResidual16Frame = k::addResidual16Frame;
    s.addResidual16Field = k::addResidual16Field;
    s.addResidual8 = k::addResidual8;
    s.intraStore8 = k::intraStore8;
    s.intraStore8x16Frame = k::intraStore8x16Frame;
    s.intraStore8x16Field = k::intraStore8x16Field;
    overlayMotion(s, k::motion);
    return s;
}

struct Tables {
    KernelSlots byTier[tierCount];
};

// Every tier's table is built, whatever the processor: building only takes
// function addresses, and tests compare the tiers the processor can run.
const Tables& tables() {
    static const Tables t = {{plainSlots(), mmxSlots(), sseSlots(), sse2Slots(), sse2Slots()}};
    return t;
}

KernelTier tierFromFeatures(std::uint32_t word) {
    if (word & cpu_bit::sse3) return KernelTier::SSE3;
    if (word & cpu_bit::sse2) return KernelTier::SSE2;
    if (word & cpu_bit::sse) return KernelTier::SSE;
    if (word & cpu_bit::mmx) return KernelTier::MMX;
    return KernelTier::Plain;
}

struct Selection {
    KernelTier detected;
    KernelTier active;
    const KernelSlots* slots;
};

Selection& selection() {
    static Selection s = [] {
        const KernelTier tier = tierFromFeatures(cpuFeatureWord());
        return Selection{tier, tier, &tables().byTier[static_cast<int>(tier)]};
    }();
    return s;
}

// Chooses the kernels while the module loads, before any decoder exists.
const bool selectedAtLoad = (selection(), true);

}  // namespace

const KernelSlots& kernelSlots() { return *selection().slots; }

KernelTier detectedKernelTier() { return selection().detected; }

KernelTier activeKernelTier() { return selection().active; }

void forceKernelTier(KernelTier tier) {
    Selection& s = selection();
    s.active = std::min(tier, s.detected);
    s.slots = &tables().byTier[static_cast<int>(s.active)];
}

const KernelSlots& kernelSlotsFor(KernelTier tier) {
    return tables().byTier[std::clamp(static_cast<int>(tier), 0, tierCount - 1)];
}

}  // namespace tl
