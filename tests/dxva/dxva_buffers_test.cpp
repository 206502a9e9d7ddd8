// What equal pictures cannot show about the buffers the decoder fills: the
// padding of grouped coefficients, batches cut by a short buffer, one record
// for every skipped macroblock, and calls repeated after E_PENDING.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/dxva/coefficient_forms.h"
#include "engine/dxva/little_endian.h"
#include "tests/dxva/dxva_decode.h"
#include "tests/dxva/recording_accelerator.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

TEST(DxvaCoefficientForms, WrittenAsTheAcceleratorReadsThem) {
    const RunLevelPair pairs[5] = {{0, 100}, {2, -3}, {0, 7}, {5, -1}, {40, 2}};
    struct Case {
        const char* name;
        std::size_t (*write)(std::uint8_t*, const RunLevelPair*, int);
        int count;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"single: run * 2, last entry marked", dxva::writeSingleCoefficients, 3,
         {0, 0, 100, 0, 4, 0, 0xFD, 0xFF, 1, 0, 7, 0}},
        {"grouped: a full group, index bytes reversed", dxva::writeGroupedCoefficients, 4,
         {5, 0, 2, 0, 0xFF, 0xFF, 7, 0, 0xFD, 0xFF, 100, 0}},
        {"grouped: five entries pad the second group with 0x3F and the last value", dxva::writeGroupedCoefficients,
         5, {5, 0, 2, 0, 0xFF, 0xFF, 7, 0, 0xFD, 0xFF, 100, 0, 0x3F, 0x3F, 0x3F, 40, 2, 0, 2, 0, 2, 0, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> out(c.bytes.size() + 4, 0xEE);
        EXPECT_EQ(c.write(out.data(), pairs, c.count), c.bytes.size());
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + std::ptrdiff_t(c.bytes.size())), c.bytes);
        EXPECT_EQ(out[c.bytes.size()], 0xEE) << "written past the entries";
    }
}

struct Recorded {
    DxvaDecode decode;
    std::string calls;
    std::vector<Batch> batches;
};

Recorded record(const std::string& stream, const dxva_soft::Options& options) {
    const StreamInfo info = find_stream(stream);
    Recorded r;
    std::unique_ptr<RecordingAccelerator> recorder;
    DxvaRun run;
    run.accelerator = options;
    run.setup = [&](dxva_soft::SoftDxvaHost& host) {
        recorder = std::make_unique<RecordingAccelerator>(host.accelerator());
        host.interpose(recorder.get());
    };
    r.decode = decodeThroughDxva(samplesOf(read_file_bytes(info.streamPath()), info.programStream()), run);
    r.calls = recorder->calls;
    r.batches = recorder->batches;
    EXPECT_EQ(r.decode.digests, read_md5_lines(info.md5Path()));
    return r;
}

std::uint16_t address(const Batch& b, std::size_t record, std::size_t size) {
    return dxva::get16(b.records.data() + record * size);
}

constexpr std::uint32_t kMacroblocks = 22 * 18;  // prog420_cgop: 352x288

TEST(DxvaBuffers, RecordedAsSent) {
    struct Case {
        const char* name;
        dxva_soft::Options options;
        void (*check)(const Recorded&);
    };
    dxva_soft::Options shortBuffers;
    shortBuffers.mode = 'C';
    shortBuffers.controlBytes = 40 * 32;
    dxva_soft::Options hostResidual;
    hostResidual.mode = 'A';
    dxva_soft::Options busy;
    busy.mode = 'D';
    busy.pendingEvery = 3;
    const Case cases[] = {
        {"a short control buffer cuts every picture into batches that carry their first record", shortBuffers,
         [](const Recorded& r) {
             ASSERT_FALSE(r.batches.empty());
             std::uint32_t picture = r.batches[0].picture, executed = 0, batchesOfPicture = 0, mostBatches = 0;
             for (const Batch& b : r.batches) {
                 if (b.picture != picture) {
                     EXPECT_EQ(executed, kMacroblocks) << "picture " << picture;
                     picture = b.picture;
                     executed = batchesOfPicture = 0;
                 }
                 EXPECT_EQ(b.control.dwFirstMBaddress, executed);
                 EXPECT_EQ(b.residual.dwFirstMBaddress, executed);
                 EXPECT_LE(b.records.size(), 40u * 32u);
                 executed += b.control.dwNumMBsInBuffer;
                 mostBatches = std::max(mostBatches, ++batchesOfPicture);
             }
             EXPECT_GE(mostBatches, kMacroblocks / 40);
         }},
        {"every macroblock has a record, skipped ones alike but for their address", hostResidual,
         [](const Recorded& r) {
             int longestRun = 0;
             for (const Batch& b : r.batches) {
                 const std::size_t size = b.records.size() / b.control.dwNumMBsInBuffer;
                 int run = 1;
                 for (std::size_t i = 0; i < b.control.dwNumMBsInBuffer; ++i) {
                     EXPECT_EQ(address(b, i, size), b.control.dwFirstMBaddress + i);
                     if (i == 0) continue;
                     const std::uint8_t* prev = b.records.data() + (i - 1) * size;
                     const std::uint8_t* cur = prev + size;
                     const bool same = std::memcmp(prev + 2, cur + 2, size - 2) == 0 && dxva::get16(cur + 8) == 0;
                     run = same ? run + 1 : 1;
                     longestRun = std::max(longestRun, run);
                 }
             }
             EXPECT_GE(longestRun, 3);
         }},
        {"E_PENDING is asked again until the accelerator is ready", busy,
         [](const Recorded& r) {
             EXPECT_GT(r.decode.pendingAnswers, 0);
             for (std::size_t i = 0; i < r.calls.size(); ++i) {
                 if (r.calls[i] != 'b' && r.calls[i] != 'q') continue;
                 ASSERT_LT(i + 1, r.calls.size());
                 EXPECT_EQ(r.calls[i + 1], r.calls[i] - 'a' + 'A') << "call " << i;
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(record("prog420_cgop", c.options));
    }
}

}  // namespace
}  // namespace tl::test
