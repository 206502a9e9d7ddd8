// Speed of the block kernels per tier, on data kept in cache: the inverse DCT
// over a slice-sized batch (scattered, upper-rows-only and DC-only blocks), the
// 16x16 and 8x8 stores and the wide and narrow prediction kernels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"

namespace tl {
namespace {

constexpr int batchBlocks = 6 * 45;  // one slice of 4:2:0 macroblocks at 720 wide
constexpr int stride = 768;

struct alignas(64) Coefficients {
    std::int16_t v[batchBlocks * 64];
};

// Block shapes for the inverse DCT, which takes shortcuts on the sparse ones.
enum class Shape { Scattered = 0, UpperRows = 1, DcOnly = 2 };

void fillCoefficients(Coefficients& c, Shape shape = Shape::Scattered) {
    std::mt19937 rng(1);
    for (int i = 0; i < batchBlocks * 64; ++i) {
        const int position = i % 64;
        const bool allowed = shape == Shape::Scattered || (shape == Shape::UpperRows && position < 32) ||
                             (shape == Shape::DcOnly && position == 0);
        c.v[i] = allowed && (shape == Shape::DcOnly || rng() % 5 == 0)
                     ? static_cast<std::int16_t>(static_cast<int>(rng() % 1024) - 512)
                     : 0;
    }
}

std::vector<std::uint8_t> picture() {
    std::mt19937 rng(2);
    std::vector<std::uint8_t> p(stride * 40);
    for (std::uint8_t& b : p) b = static_cast<std::uint8_t>(rng());
    return p;
}

const KernelSlots* slotsOrSkip(benchmark::State& state) {
    const auto tier = static_cast<KernelTier>(state.range(0));
    if (tier > detectedKernelTier()) {
        state.SkipWithError("tier not supported by this processor");
        return nullptr;
    }
    return &kernelSlotsFor(tier);
}

void BM_IdctBatch(benchmark::State& state) {
    const KernelSlots* s = slotsOrSkip(state);
    if (!s) return;
    static Coefficients source, work;
    fillCoefficients(source, static_cast<Shape>(state.range(1)));
    for (auto _ : state) {
        work = source;
        s->idct(work.v, batchBlocks);
        benchmark::DoNotOptimize(work.v[0]);
    }
    state.SetItemsProcessed(state.iterations() * batchBlocks);
}

// One transform store, given by its slot, writing a 16x16 or 8x8 area.
using StoreSlot = decltype(KernelSlots::addResidual8) KernelSlots::*;

void storeBench(benchmark::State& state, StoreSlot slot) {
    const KernelSlots* s = slotsOrSkip(state);
    if (!s) return;
    static Coefficients source, work;
    fillCoefficients(source);
    std::vector<std::uint8_t> p = picture();
    for (auto _ : state) {
        std::memcpy(work.v, source.v, 4 * 128);  // the stores leave their blocks zero
        (s->*slot)(p.data() + 3, stride, work.v);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AddResidual16Frame(benchmark::State& state) { storeBench(state, &KernelSlots::addResidual16Frame); }
void BM_AddResidual8(benchmark::State& state) { storeBench(state, &KernelSlots::addResidual8); }
void BM_IntraStore16Frame(benchmark::State& state) { storeBench(state, &KernelSlots::intraStore16Frame); }

// One prediction kernel from the wide or narrow table, index in range(1).
using PredictTable = KernelSlots::PredictFn (KernelSlots::*)[4];

void predictBench(benchmark::State& state, PredictTable table, int height) {
    const KernelSlots* s = slotsOrSkip(state);
    if (!s) return;
    const std::vector<std::uint8_t> src = picture();
    std::vector<std::uint8_t> dst = picture();
    const auto fn = (s->*table)[state.range(1)];
    for (auto _ : state) {
        fn(dst.data(), src.data() + 1, stride, height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PredictWide(benchmark::State& state) { predictBench(state, &KernelSlots::predictWide, 16); }
void BM_PredictNarrow(benchmark::State& state) { predictBench(state, &KernelSlots::predictNarrow, 8); }

void BM_AverageWide(benchmark::State& state) {
    const KernelSlots* s = slotsOrSkip(state);
    if (!s) return;
    const std::vector<std::uint8_t> src = picture();
    std::vector<std::uint8_t> dst = picture();
    const auto fn = s->averageWide[state.range(1)];
    for (auto _ : state) {
        fn(src.data() + 1, src.data() + 5, dst.data(), stride, 16);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void tiers(benchmark::internal::Benchmark* b) {
    b->ArgName("tier");
    for (int t = 0; t <= static_cast<int>(KernelTier::SSE2); ++t) b->Arg(t);
}

void tiersAndIndexes(benchmark::internal::Benchmark* b, std::initializer_list<int> indexes) {
    b->ArgNames({"tier", "index"});
    for (int t = 0; t <= static_cast<int>(KernelTier::SSE2); ++t) {
        for (int i : indexes) b->Args({t, i});
    }
}

BENCHMARK(BM_IdctBatch)->Apply([](benchmark::internal::Benchmark* b) {
    b->ArgNames({"tier", "shape"});
    for (int t = 0; t <= static_cast<int>(KernelTier::SSE2); ++t) {
        for (Shape shape : {Shape::Scattered, Shape::UpperRows, Shape::DcOnly}) {
            b->Args({t, static_cast<int>(shape)});
        }
    }
});
BENCHMARK(BM_AddResidual16Frame)->Apply(tiers);
BENCHMARK(BM_AddResidual8)->Apply(tiers);
BENCHMARK(BM_IntraStore16Frame)->Apply(tiers);
BENCHMARK(BM_PredictWide)->Apply([](benchmark::internal::Benchmark* b) { tiersAndIndexes(b, {0, 1, 2, 3}); });
BENCHMARK(BM_PredictNarrow)->Apply([](benchmark::internal::Benchmark* b) { tiersAndIndexes(b, {0, 3}); });
BENCHMARK(BM_AverageWide)->Apply([](benchmark::internal::Benchmark* b) { tiersAndIndexes(b, {0, 5, 15}); });

}  // namespace
}  // namespace tl
