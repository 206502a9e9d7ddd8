// What the decoder and the accelerator exchange. What equal pictures cannot
// show about the buffers the decoder fills: the padding of grouped
// coefficients, batches cut by a short buffer, and calls repeated after
// E_PENDING. One record for every macroblock, skipped ones too, is decided by
// the corpus runs: the accelerator rebuilds only what it is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/dxva/coefficient_forms.h"
#include "engine/dxva/connection_setup.h"
#include "tests/dxva/dxva_decode.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

TEST(DxvaCoefficientForms, WrittenAsTheAcceleratorReadsThem) {
    const RunLevelPair pairs[5] = {{0, 100}, {2, -3}, {0, 7}, {5, -1}, {40, 2}};
    // The writer, how many of the pairs it writes, and the bytes.
    for (auto [name, write, count, bytes] : {
             std::tuple{"single: run * 2, last entry marked", &dxva::writeSingleCoefficients, 3,
                        std::vector<std::uint8_t>{0, 0, 100, 0, 4, 0, 0xFD, 0xFF, 1, 0, 7, 0}},
             {"grouped: a full group, index bytes reversed", dxva::writeGroupedCoefficients, 4,
              {5, 0, 2, 0, 0xFF, 0xFF, 7, 0, 0xFD, 0xFF, 100, 0}},
             {"grouped: five entries pad the second group with 0x3F and the last value", dxva::writeGroupedCoefficients,
              5, {5, 0, 2, 0, 0xFF, 0xFF, 7, 0, 0xFD, 0xFF, 100, 0, 0x3F, 0x3F, 0x3F, 40, 2, 0, 2, 0, 2, 0, 2, 0}},
         }) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> out(bytes.size() + 4, 0xEE);
        EXPECT_EQ(write(out.data(), pairs, count), bytes.size());
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + std::ptrdiff_t(bytes.size())), bytes);
        EXPECT_EQ(out[bytes.size()], 0xEE) << "written past the entries";
    }
}

// Stands between the decoder and the software accelerator and keeps what the
// decoder sent: one letter per call (B BeginFrame, G GetBuffer, X Execute,
// R ReleaseBuffer, E EndFrame, Q QueryRenderStatus, D DisplayFrame; lower case
// when it answered E_PENDING), and each macroblock batch's buffer descriptions
// with the BeginFrame calls that succeeded before it.
struct Batch {
    std::uint32_t picture;
    dxva::DXVA_BufferDescription control, residual;
};

class RecordingAccelerator final : public DxvaAccelerator {
public:
    explicit RecordingAccelerator(DxvaAccelerator& inner) : inner_(inner) {}
    std::string calls;
    std::vector<Batch> batches;

    HResult getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) override {
        return inner_.getInternalCompBufferInfo(count, info);
    }
    HResult beginFrame(const dxva::AMVABeginFrameInfo& info) override {
        const HResult r = inner_.beginFrame(info);
        pictures_ += failed(r) ? 0 : 1;
        return note(r == hr::e_pending ? 'b' : 'B', r);
    }
    HResult endFrame(const dxva::AMVAEndFrameInfo& info) override { return note('E', inner_.endFrame(info)); }
    HResult getBuffer(std::uint32_t type, std::uint32_t index, bool readOnly, void** buffer,
                      std::int32_t* stride) override {
        return note('G', inner_.getBuffer(type, index, readOnly, buffer, stride));
    }
    HResult releaseBuffer(std::uint32_t type, std::uint32_t index) override {
        return note('R', inner_.releaseBuffer(type, index));
    }
    HResult execute(std::uint32_t function, void* input, std::uint32_t inputSize, void* output,
                    std::uint32_t outputSize, std::uint32_t count, const dxva::AMVABUFFERINFO* buffers) override {
        const auto* d = static_cast<const dxva::DXVA_BufferDescription*>(input);
        if (function == dxva::kPictureDecodingFunction && count == 2) batches.push_back({pictures_, d[0], d[1]});
        return note('X', inner_.execute(function, input, inputSize, output, outputSize, count, buffers));
    }
    HResult queryRenderStatus(std::uint32_t type, std::uint32_t index, std::uint32_t flags) override {
        const HResult r = inner_.queryRenderStatus(type, index, flags);
        return note(r == hr::e_pending ? 'q' : 'Q', r);
    }
    HResult displayFrame(std::uint32_t index, OutputSample* sample) override {
        return note('D', inner_.displayFrame(index, sample));
    }

private:
    HResult note(char call, HResult result) {
        calls += call;
        return result;
    }
    DxvaAccelerator& inner_;
    std::uint32_t pictures_ = 0;
};

// prog420_cgop (352x288) through a recording accelerator; its pictures equal
// the reference whatever the accelerator's answers.
RecordingAccelerator record(const dxva_soft::Options& options, DxvaDecode& decode) {
    const StreamInfo info = find_stream("prog420_cgop");
    std::unique_ptr<RecordingAccelerator> recorder;
    DxvaRun run;
    run.accelerator = options;
    run.setup = [&](dxva_soft::SoftDxvaHost& host) {
        recorder = std::make_unique<RecordingAccelerator>(host.accelerator());
        host.interpose(recorder.get());
    };
    decode = decodeThroughDxva(samplesOf(read_file_bytes(info.streamPath()), false), run);
    EXPECT_EQ(decode.digests, read_md5_lines(info.md5Path()));
    return *recorder;
}

// The accelerator takes each batch's first address from its description, not
// from the records.
TEST(DxvaBuffers, AShortControlBufferCutsEveryPictureIntoBatchesThatCarryTheirFirstRecord) {
    constexpr std::uint32_t kMacroblocks = 22 * 18;
    dxva_soft::Options options;
    options.mode = 'C';
    options.controlBytes = 40 * 32;
    DxvaDecode decode;
    const RecordingAccelerator r = record(options, decode);
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
        EXPECT_LE(b.control.dwDataSize, 40u * 32u);
        executed += b.control.dwNumMBsInBuffer;
        mostBatches = std::max(mostBatches, ++batchesOfPicture);
    }
    EXPECT_GE(mostBatches, kMacroblocks / 40);
}

TEST(DxvaBuffers, EPendingIsAskedAgainUntilTheAcceleratorIsReady) {
    dxva_soft::Options options;
    options.mode = 'D';
    options.pendingEvery = 3;
    DxvaDecode decode;
    const RecordingAccelerator r = record(options, decode);
    EXPECT_GT(decode.pendingAnswers, 0);
    for (std::size_t i = 0; i < r.calls.size(); ++i) {
        if (r.calls[i] != 'b' && r.calls[i] != 'q') continue;
        ASSERT_LT(i + 1, r.calls.size());
        EXPECT_EQ(r.calls[i + 1], r.calls[i] - 'a' + 'A') << "call " << i;
    }
}

// The configuration exchange at connection time against an accelerator that
// answers as scripted: which queries each mode makes, what the decoder keeps,
// and which failures end the connection attempt.
using namespace dxva;

class ScriptedAccelerator final : public DxvaAccelerator {
public:
    std::uint32_t failing = 0;        // the function that fails, 0: none
    bool bufferInfoFails = false;
    std::uint8_t alphaDataType = DXVA_CONFIG_DATA_TYPE_AYUV;  // what an alpha-load lock answers
    std::vector<std::uint32_t> functions;  // in the order executed
    std::uint32_t lockedFunction = 0;      // dwFunction of the picture-decoding lock's input

    HResult getInternalCompBufferInfo(std::uint32_t* count, AMVACompBufferInfo* info) override {
        if (bufferInfoFails) return hr::e_fail;
        info[DXVA_MACROBLOCK_CONTROL_BUFFER].dwBytesToAllocate = 4096;
        *count = 16;
        return hr::ok;
    }
    HResult execute(std::uint32_t function, void* input, std::uint32_t inputSize, void* output,
                    std::uint32_t outputSize, std::uint32_t, const AMVABUFFERINFO*) override {
        functions.push_back(function);
        if (function == failing) return hr::e_fail;
        // The reply is the proposal, but in host residual form.
        std::memcpy(output, input, std::min(inputSize, outputSize));
        if (function == kProbePictureDecode)
            static_cast<DXVA_ConfigPictureDecode*>(output)->bConfigResidDiffHost = 1;
        if (function == kLockPictureDecode)
            lockedFunction = static_cast<DXVA_ConfigPictureDecode*>(input)->dwFunction;
        if (function == kLockAlphaLoad)
            static_cast<DXVA_ConfigAlphaLoad*>(output)->bConfigDataType = alphaDataType;
        return hr::ok;
    }
    HResult beginFrame(const AMVABeginFrameInfo&) override { return hr::e_notimpl; }
    HResult endFrame(const AMVAEndFrameInfo&) override { return hr::e_notimpl; }
    HResult getBuffer(std::uint32_t, std::uint32_t, bool, void**, std::int32_t*) override { return hr::e_notimpl; }
    HResult releaseBuffer(std::uint32_t, std::uint32_t) override { return hr::e_notimpl; }
    HResult queryRenderStatus(std::uint32_t, std::uint32_t, std::uint32_t) override { return hr::e_notimpl; }
    HResult displayFrame(std::uint32_t, OutputSample*) override { return hr::e_notimpl; }
};

TEST(DxvaConnection, ExchangeByModeAndAnswer) {
    constexpr std::uint32_t P1 = kProbePictureDecode, L1 = kLockPictureDecode, P2 = kProbeAlphaLoad,
                            L2 = kLockAlphaLoad, P3 = kProbeAlphaCombine, L3 = kLockAlphaCombine;
    // The mode, the function that fails, whether the buffer sizes fail, the data
    // type an alpha-load lock answers; whether the connection succeeds, whether
    // it blends, and the functions executed in order.
    for (auto [name, mode, failing, bufferInfoFails, alphaDataType, succeeds, alphaBlend, functions] : {
        std::tuple{"mode A never asks about alpha blending", OutputSubtype::DxvaModeA, 0u, false, std::uint8_t(3), true,
                   false, std::vector<std::uint32_t>{P1, L1}},
        {"mode B locks both alpha configurations", OutputSubtype::DxvaModeB, 0, false, 3, true, true,
         {P1, L1, P2, L2, P3, L3}},
        {"an alpha-load lock of another data type blends nothing", OutputSubtype::DxvaModeD, 0, false, 2, true,
         false, {P1, L1, P2, L2, P3, L3}},
        {"a refused alpha probe is not locked and fails nothing", OutputSubtype::DxvaModeB, P2, false, 3, true,
         false, {P1, L1, P2, P3, L3}},
        {"a failing lock fails the connection", OutputSubtype::DxvaModeC, L1, false, 3, false, false, {P1, L1}},
        {"a failing probe is never locked", OutputSubtype::DxvaModeD, P1, false, 3, false, false, {P1}},
        {"no buffer sizes, no connection", OutputSubtype::DxvaModeB, 0, true, 3, false, false, {P1, L1}},
    }) {
        SCOPED_TRACE(name);
        ScriptedAccelerator accelerator;
        accelerator.failing = failing;
        accelerator.bufferInfoFails = bufferInfoFails;
        accelerator.alphaDataType = alphaDataType;
        DxvaConnection result;
        const HResult r = configureDxva(accelerator, mode, result);
        EXPECT_EQ(std::make_pair(!failed(r), accelerator.functions), std::make_pair(succeeds, functions));
        if (!succeeds) continue;
        EXPECT_EQ(result.alphaBlend, alphaBlend);
        EXPECT_EQ(accelerator.lockedFunction, L1) << "the reply goes back with the lock's function";
        EXPECT_EQ(result.config.bConfigResidDiffHost, 1) << "the locked configuration is the accelerator's reply";
        // The rest of the reply echoes the proposal: an accelerator is asked for
        // unencrypted residuals in grouped coefficients.
        EXPECT_EQ(std::memcmp(&result.config.guidConfigResidDiffEncryption, &DXVA_NoEncrypt, sizeof(Guid)), 0);
        EXPECT_EQ(result.config.bConfig4GroupedCoefs, 1);
        EXPECT_EQ(result.compBufferInfo[DXVA_MACROBLOCK_CONTROL_BUFFER].dwBytesToAllocate, 4096u);
    }
}

}  // namespace
}  // namespace tl::test
