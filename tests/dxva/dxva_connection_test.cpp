// The configuration exchange at connection time against an accelerator that
// answers as scripted: which queries each mode makes, what the decoder keeps,
// and which failures end the connection attempt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/dxva/connection_setup.h"

namespace tl::test {
namespace {

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
    struct Case {
        const char* name;
        OutputSubtype mode;
        std::uint32_t failing;
        bool bufferInfoFails;
        std::uint8_t alphaDataType;
        bool succeeds;
        bool alphaBlend;
        std::vector<std::uint32_t> functions;
    };
    const Case cases[] = {
        {"mode A never asks about alpha blending", OutputSubtype::DxvaModeA, 0, false, 3, true, false, {P1, L1}},
        {"mode B locks both alpha configurations", OutputSubtype::DxvaModeB, 0, false, 3, true, true,
         {P1, L1, P2, L2, P3, L3}},
        {"an alpha-load lock of another data type blends nothing", OutputSubtype::DxvaModeD, 0, false, 2, true,
         false, {P1, L1, P2, L2, P3, L3}},
        {"a refused alpha probe is not locked and fails nothing", OutputSubtype::DxvaModeB, P2, false, 3, true,
         false, {P1, L1, P2, P3, L3}},
        {"a failing lock fails the connection", OutputSubtype::DxvaModeC, L1, false, 3, false, false, {P1, L1}},
        {"a failing probe is never locked", OutputSubtype::DxvaModeD, P1, false, 3, false, false, {P1}},
        {"no buffer sizes, no connection", OutputSubtype::DxvaModeB, 0, true, 3, false, false, {P1, L1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedAccelerator accelerator;
        accelerator.failing = c.failing;
        accelerator.bufferInfoFails = c.bufferInfoFails;
        accelerator.alphaDataType = c.alphaDataType;
        DxvaConnection result;
        const HResult r = configureDxva(accelerator, c.mode, result);
        EXPECT_EQ(!failed(r), c.succeeds);
        EXPECT_EQ(accelerator.functions, c.functions);
        if (!c.succeeds) continue;
        EXPECT_EQ(result.alphaBlend, c.alphaBlend);
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
