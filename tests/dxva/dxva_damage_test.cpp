// Damaged slice data through the DirectX VA path: whatever the parsers make of
// it, the decoder writes no more than the accelerator's buffers hold and the
// software accelerator reads records it cannot trust safely; the stream
// decodes to its end, every sample comes back, and the pictures the damage
// cannot reach stay equal to the reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "tests/dxva/dxva_decode.h"
#include "tests/robustness/intact_pictures.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

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
