// Every 4:2:0 corpus stream through the DirectX VA path, in each residual
// form, rebuilt by the software accelerator from nothing but the buffers the
// decoder filled: the displayed surfaces equal the reference digests. A wrong
// control record, vector, pattern or coefficient anywhere shows as a
// differing picture. The corpus has no field pictures; the written field
// streams are held against the software path instead.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/dxva/dxva_decode.h"
#include "tests/framework/syntax_streams.h"
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

}  // namespace
}  // namespace tl::test
