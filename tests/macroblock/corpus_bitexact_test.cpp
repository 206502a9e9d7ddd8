// Every corpus stream through the decoder object with the real slice layer:
// at every kernel tier the processor has, per-picture digests equal to the
// committed ones; and the size, aspect, frame rate, chroma format and picture
// types its description gives.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"

namespace tl::test {
namespace {

class CorpusBitExact : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override { forceKernelTier(detectedKernelTier()); }
};

void expectDescribed(const StreamInfo& stream, const DecodeResult& got) {
    EXPECT_EQ(std::tie(got.info.sizeX, got.info.sizeY, got.types),
              std::make_tuple(stream.width(), stream.height(), stream.pictureTypes()));
    const Ratio rate = stream.frameRate();
    EXPECT_NEAR(got.info.frameRate, double(rate.num) / double(rate.den), 1e-6);
    if (stream.mpeg1()) {
        EXPECT_EQ(got.info.chromaFormat, 0);
        return;
    }
    EXPECT_EQ(got.info.chromaFormat, stream.chroma() == 420 ? 1 : stream.chroma() == 422 ? 2 : 3);
    if (const auto aspect = stream.displayAspect()) {
        // The display extension can turn a square-pixel ratio into a per-mille
        // one (11:9 becomes 1000:818); a percent covers that.
        ASSERT_GT(got.info.aspectRatioY, 0);
        const double ratio = double(got.info.aspectRatioX) / got.info.aspectRatioY;
        EXPECT_NEAR(ratio / (double(aspect->num) / double(aspect->den)), 1.0, 0.01)
            << got.info.aspectRatioX << ":" << got.info.aspectRatioY;
    }
}

TEST_P(CorpusBitExact, EveryTierMatchesTheReferenceDigests) {
    const StreamInfo info = find_stream(GetParam());
    const std::vector<std::string> expected = read_md5_lines(info.md5Path());
    const std::vector<Bytes> samples = samplesOf(read_file_bytes(info.streamPath()), info.programStream());
    for (KernelTier tier : runnableTiers()) {
        SCOPED_TRACE(tierName(tier));
        forceKernelTier(tier);
        const DecodeResult got = decodeSamples(samples);
        EXPECT_EQ(got.referencesLeft, 0);
        EXPECT_EQ(got.outputSamplesLeft, 0);
        if (tier == KernelTier::Plain) expectDescribed(info, got);
        EXPECT_EQ(got.digests, expected);
        if (info.mpeg1()) break;  // parsed, never decoded: nothing differs between tiers
    }
}

std::vector<std::string> corpusNames() {
    std::vector<std::string> names;
    for (const StreamInfo& s : list_streams()) names.push_back(s.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusBitExact, ::testing::ValuesIn(corpusNames()),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace tl::test
