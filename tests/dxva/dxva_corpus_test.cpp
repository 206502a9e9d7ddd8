// Every 4:2:0 corpus stream through the DirectX VA path, in each residual
// form, rebuilt by the software accelerator from nothing but the buffers the
// decoder filled: the displayed surfaces equal the reference digests. A wrong
// control record, vector, pattern or coefficient anywhere shows as a
// differing picture. The corpus has no field pictures; the written field
// streams are held against the software path instead.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "tests/dxva/dxva_decode.h"
#include "tests/framework/syntax_streams.h"
#include "tests/robustness/intact_pictures.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"

namespace tl::test {
namespace {

struct Form {
    const char* name;
    char mode;
    bool single;
};
constexpr Form kForms[] = {
    {"host_residual", 'A', false},
    {"grouped_coefficients", 'C', false},
    {"single_coefficients", 'C', true},
};

DxvaRun runIn(const Form& form) {
    DxvaRun run;
    run.accelerator.mode = form.mode;
    run.accelerator.singleCoefficients = form.single;
    return run;
}

class DxvaCorpus : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(DxvaCorpus, DisplayedSurfacesMatchTheReferenceDigests) {
    const StreamInfo info = find_stream(std::get<0>(GetParam()));
    const Form& form = kForms[std::get<1>(GetParam())];
    const DxvaDecode got =
        decodeThroughDxva(samplesOf(read_file_bytes(info.streamPath()), info.programStream()), runIn(form));
    EXPECT_EQ(got.digests, read_md5_lines(info.md5Path()));
    EXPECT_EQ(got.info.errors, 0u);
    EXPECT_EQ(got.referencesLeft, 0);
    EXPECT_EQ(got.presentationSamplesLeft, 0);
}

std::vector<std::string> corpus420() {
    std::vector<std::string> names;
    for (const StreamInfo& s : list_streams())
        if (!s.mpeg1() && s.chroma() == 420) names.push_back(s.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Corpus, DxvaCorpus,
                         ::testing::Combine(::testing::ValuesIn(corpus420()), ::testing::Range(0, 3)),
                         [](const auto& p) {
                             return std::get<0>(p.param) + "_" + kForms[std::get<1>(p.param)].name;
                         });

class DxvaFieldPictures : public ::testing::TestWithParam<std::tuple<bool, int>> {};

TEST_P(DxvaFieldPictures, EqualTheSoftwarePath) {
    const std::vector<Bytes> samples{fieldStreamInside(std::get<0>(GetParam()))};
    const DecodeResult software = decodeSamples(samples);
    ASSERT_EQ(software.digests.size(), 5u);
    const DxvaDecode dxva = decodeThroughDxva(samples, runIn(kForms[std::get<1>(GetParam())]));
    EXPECT_EQ(dxva.digests, software.digests);
}

INSTANTIATE_TEST_SUITE_P(Fields, DxvaFieldPictures, ::testing::Combine(::testing::Bool(), ::testing::Range(0, 3)),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param) ? "top_first_" : "bottom_first_") +
                                    kForms[std::get<1>(p.param)].name;
                         });

// Damaged slice data: whatever the parsers make of it, the decoder writes no
// more than the accelerator's buffers hold and the software accelerator reads
// records it cannot trust safely; the stream decodes to its end, every sample
// comes back, and the pictures the damage cannot reach stay equal to the
// reference.
TEST(DxvaDamage, DamagedSlicesDecodeToTheEnd) {
    const StreamInfo info = find_stream("intl_tff_ogop");
    const Bytes clean = read_file_bytes(info.streamPath());
    const std::vector<std::string> reference = read_md5_lines(info.md5Path());
    constexpr std::size_t kDamage = 48;
    // Mode, single coefficients, control buffer bytes: small buffers flush in the
    // middle of damaged pictures too.
    for (auto [mode, single, controlBytes] :
         {std::tuple{'A', false, 64u * 32}, {'C', false, 1u << 20}, {'D', true, 96u * 32}}) {
        for (int k = 1; k <= 6; ++k) {
            SCOPED_TRACE(std::string(1, mode) + " damage " + std::to_string(k));
            const std::size_t at = clean.size() * std::size_t(k) / 7;
            Bytes damaged = clean;
            std::uint32_t noise = 0x9E3779B9u * std::uint32_t(k);
            for (std::size_t i = at; i < at + kDamage; ++i) {
                noise = noise * 1664525u + 1013904223u;
                damaged[i] = std::uint8_t(noise >> 24);
            }
            DxvaRun run;
            run.accelerator.mode = mode;
            run.accelerator.singleCoefficients = single;
            run.accelerator.controlBytes = controlBytes;
            const DxvaDecode got = decodeThroughDxva(samplesOf(damaged, false), run);
            EXPECT_EQ(got.referencesLeft, 0);
            EXPECT_EQ(got.presentationSamplesLeft, 0);
            const IntactPictures intact = intactAround(clean, at, at + kDamage - 1);
            ASSERT_LE(intact.intactPrefix, got.digests.size());
            for (std::size_t i = 0; i < intact.intactPrefix; ++i) EXPECT_EQ(got.digests[i], reference[i]) << i;
        }
    }
}

}  // namespace
}  // namespace tl::test
