#include "engine/macroblock/kernel_slots.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "engine/base/cpu_features.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl {
namespace {

using kernels::BlockStores;
using kernels::MotionKernels;

constexpr int tierCount = static_cast<int>(KernelTier::AVX2) + 1;

// What one tier provides, from Plain up to SSE2; SSE3 uses the SSE2 kernels.
struct TierKernels {
    decltype(KernelSlots::idct) idct;
    decltype(KernelSlots::scaleMatrix) scaleMatrix;
    const BlockStores* stores;
    const MotionKernels* motion;
};

namespace k = kernels;
constexpr TierKernels tierKernels[] = {
    {k::plain::idct, k::plain::scaleMatrix, &k::plain::stores, &k::plain::motion},
    {k::mmx::idct, k::mmx::scaleMatrix, &k::mmx::stores, &k::mmx::motion},
    {k::sse::idct, nullptr, &k::sse::stores, &k::sse::motion},
    {k::sse2::idct, k::sse2::scaleMatrix, &k::sse2::stores, &k::sse2::motion},
};

// Entries a tier leaves empty keep the kernel of the tier below.
template <class Fn>
void overlay(Fn& slot, Fn kernel) {
    if (kernel) slot = kernel;
}

template <class Fn, std::size_t n>
void overlay(Fn (&slots)[n], const std::array<Fn, n>& tier) {
    for (std::size_t i = 0; i < n; ++i) overlay(slots[i], tier[i]);
}

void overlay(KernelSlots& s, const TierKernels& t) {
    overlay(s.idct, t.idct);
    overlay(s.scaleMatrix, t.scaleMatrix);
    if (const BlockStores* stores = t.stores) {
        s.intraStore16Frame = stores->intraStore16Frame;
        s.intraStore16Field = stores->intraStore16Field;
        s.addResidual16Frame = stores->addResidual16Frame;
        s.addResidual16Field = stores->addResidual16Field;
        s.addResidual8 = stores->addResidual8;
        s.intraStore8 = stores->intraStore8;
        s.intraStore8x16Frame = stores->intraStore8x16Frame;
        s.intraStore8x16Field = stores->intraStore8x16Field;
    }
    overlay(s.predictWide, t.motion->predictWide);
    overlay(s.predictNarrow, t.motion->predictNarrow);
    overlay(s.averageWide, t.motion->averageWide);
    overlay(s.averageNarrow, t.motion->averageNarrow);
}

struct Tables {
    KernelSlots byTier[tierCount];
};

// Every tier's table is built, whatever the processor: building only takes
// function addresses, and tests compare the tiers the processor can run.
const Tables& tables() {
    static const Tables t = [] {
        Tables built{};
        KernelSlots s{};
        for (int tier = 0; tier < tierCount; ++tier) {
            if (tier < static_cast<int>(std::size(tierKernels))) overlay(s, tierKernels[tier]);
            built.byTier[tier] = s;
        }
        return built;
    }();
    return t;
}

struct Selection {
    KernelTier detected;
    KernelTier active;
    const KernelSlots* slots;
};

Selection& selection() {
    static Selection s = [] {
        const KernelTier tier = detectedKernelTier();
        return Selection{tier, tier, &tables().byTier[static_cast<int>(tier)]};
    }();
    return s;
}

// Chooses the kernels while the module loads, before any decoder exists.
const bool selectedAtLoad = (selection(), true);

}  // namespace

const KernelSlots& kernelSlots() { return *selection().slots; }

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
