#include "engine/macroblock/coefficients.h"

#include "engine/macroblock/coefficient_loop.h"

namespace tl {

using namespace coefficient_loop;

namespace {

// Appends (run, value) pairs; mismatch control adds a pair for position 63,
// or toggles the last value when position 63 is already coded.
struct RunLevelSink {
    RunLevelPair* pairs;
    int& count;
    void put(int, int run, std::int32_t value) {
        pairs[count++] = RunLevelPair{static_cast<std::int16_t>(run), static_cast<std::int16_t>(value)};
    }
    void endOfBlock(std::uint32_t parity, int next) {
        if (!(parity & 1)) return;
        if (next < 64)
            pairs[count++] = RunLevelPair{static_cast<std::int16_t>(63 - next), 1};
        else
            pairs[count - 1].value ^= 1;
    }
};

constexpr int factorOf(bool intra, int level) { return intra || !level ? level : 2 * level + 1; }
static_assert(factorOf(false, 40) <= 255, "the largest variable-length level fits a byte");

CodeStep stepOf(bool intra, int run, int level, int length, std::uint8_t kind) {
    const int factor = factorOf(intra, level);
    return CodeStep{static_cast<std::uint8_t>(run + 1), static_cast<std::uint8_t>(factor),
                    static_cast<std::uint8_t>(factor ? length + 1 : length), kind};
}

ShortSteps shortSteps(bool intra, const std::array<DctShortCode, 256>& codes) {
    ShortSteps t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = stepOf(intra, codes[i].run, codes[i].level, codes[i].length, codes[i].kind);
    return t;
}

LongSteps longSteps(bool intra, const DctShortCode* table6) {
    LongSteps t{};
    const DctRunLevel* shared[6] = {nullptr, kDctLeadingZeros7, kDctLeadingZeros8, nullptr, kDctLeadingZeros10,
                                    kDctLeadingZeros11};
    for (int i = 0; i < 16; ++i) {
        const DctShortCode c = table6[i >> 1];
        t[std::size_t(i)] = stepOf(intra, c.run, c.level, c.length, DCT_RUN_LEVEL);
        for (int zeros = 7; zeros <= 11; ++zeros) {
            const DctRunLevel e = zeros == 9 ? DctRunLevel{0, static_cast<std::uint8_t>(31 - i)}
                                             : shared[zeros - 6][i];
            t[std::size_t((zeros - 6) * 16 + i)] = stepOf(intra, e.run, e.level, zeros + 5, DCT_RUN_LEVEL);
        }
    }
    return t;
}

StepTables stepTables(bool intra, const std::array<DctShortCode, 256>& first, const std::array<DctShortCode, 256>& next,
                      const DctShortCode* table6) {
    return {shortSteps(intra, first), shortSteps(intra, next), longSteps(intra, table6)};
}

}  // namespace

namespace coefficient_loop {

const StepTables kIntraB14 = stepTables(true, kTableB14Short, kTableB14Short, kTableB14LeadingZeros6);
const StepTables kIntraB15 = stepTables(true, kTableB15Short, kTableB15Short, kTableB15LeadingZeros6);
const StepTables kNonIntra = stepTables(false, kTableB14First, kTableB14Short, kTableB14LeadingZeros6);

}  // namespace coefficient_loop

HResult decodeDcDifferentialLuma(LocalBits& bits, std::int32_t& differential) { return dcLuma(bits, differential); }

HResult decodeDcDifferentialChroma(LocalBits& bits, std::int32_t& differential) {
    return dcChroma(bits, differential);
}

HResult decodeIntraBlockB14(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors) {
    BlockSink sink{block};
    return decodeAc<true>(bits, kIntraB14, weights, scan, 0,
                          1u ^ static_cast<std::uint32_t>(block[0]), sink, errors);
}

HResult decodeIntraBlockB15(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors) {
    BlockSink sink{block};
    return decodeAc<true>(bits, kIntraB15, weights, scan, 0,
                          1u ^ static_cast<std::uint32_t>(block[0]), sink, errors);
}

HResult decodeNonIntraBlock(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors) {
    BlockSink sink{block};
    return decodeAc<false>(bits, kNonIntra, weights, scan, -1, 1u, sink, errors);
}

HResult decodeIntraRunLevelB14(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors) {
    RunLevelSink sink{pairs, count};
    return decodeAc<true>(bits, kIntraB14, weights, scan, 0,
                          1u ^ static_cast<std::uint32_t>(pairs[0].value), sink, errors);
}

HResult decodeIntraRunLevelB15(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors) {
    RunLevelSink sink{pairs, count};
    return decodeAc<true>(bits, kIntraB15, weights, scan, 0,
                          1u ^ static_cast<std::uint32_t>(pairs[0].value), sink, errors);
}

HResult decodeNonIntraRunLevel(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors) {
    RunLevelSink sink{pairs, count};
    return decodeAc<false>(bits, kNonIntra, weights, scan, -1, 1u, sink, errors);
}

}  // namespace tl
