// Every corpus stream, decoded through the decoder object at every kernel tier
// the processor has, gives per-picture digests equal to the committed ones.
#include <gtest/gtest.h>

#include "engine/macroblock/kernel_slots.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"

namespace tl::test {
namespace {

struct TierName {
    KernelTier tier;
    const char* name;
};
constexpr TierName kTiers[] = {
    {KernelTier::Plain, "plain"}, {KernelTier::MMX, "mmx"},   {KernelTier::SSE, "sse"},
    {KernelTier::SSE2, "sse2"},   {KernelTier::SSE3, "sse3"},
};

class CorpusBitExact : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override { forceKernelTier(detectedKernelTier()); }
};

TEST_P(CorpusBitExact, EveryTierMatchesTheReferenceDigests) {
    const StreamInfo info = find_stream(GetParam());
    const std::vector<std::string> expected = read_md5_lines(info.md5Path());
    const std::vector<std::uint8_t> file = read_file_bytes(info.streamPath());
    ASSERT_FALSE(expected.empty());
    for (const TierName& t : kTiers) {
        if (t.tier > detectedKernelTier()) continue;
        SCOPED_TRACE(t.name);
        forceKernelTier(t.tier);
        const std::vector<std::string> got = decodeSamples(samplesOf(file, info.programStream())).digests;
        EXPECT_EQ(got.size(), expected.size());
        int mismatches = 0;
        for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
            if (got[i] == expected[i]) continue;
            if (++mismatches <= 3) ADD_FAILURE() << "picture " << i << " differs";
        }
        EXPECT_EQ(mismatches, 0);
    }
}

std::vector<std::string> corpusNames() {
    std::vector<std::string> names;
    for (const StreamInfo& s : list_streams())
        if (!s.mpeg1()) names.push_back(s.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusBitExact, ::testing::ValuesIn(corpusNames()),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace tl::test
