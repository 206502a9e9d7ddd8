#include "engine/dxva/connection_setup.h"

#include <cstring>

namespace tl::dxva {
namespace {

constexpr ModeRow kModes[] = {
    {OutputSubtype::DxvaModeA, 0x0A, 4, false},
    {OutputSubtype::DxvaModeB, 0x0B, 5, true},
    {OutputSubtype::DxvaModeC, 0x0C, 4, false},
    {OutputSubtype::DxvaModeD, 0x0D, 5, true},
};

// What the decoder asks for first: raster-ordered macroblocks, its own
// inverse DCT avoided, grouped coefficients; the accelerator's reply decides.
DXVA_ConfigPictureDecode pictureDecodeProposal() {
    DXVA_ConfigPictureDecode c{};
    c.dwFunction = kProbePictureDecode;
    c.guidConfigBitstreamEncryption = DXVA_NoEncrypt;
    c.guidConfigMBcontrolEncryption = DXVA_NoEncrypt;
    c.guidConfigResidDiffEncryption = DXVA_NoEncrypt;
    c.bConfigMBcontrolRasterOrder = 1;
    c.bConfigResidDiffAccelerator = 1;
    c.bConfig4GroupedCoefs = 1;
    return c;
}

// Probe with `proposal`, then lock what the accelerator replied.
template <class Config>
HResult probeAndLock(DxvaAccelerator& accelerator, std::uint32_t probe, std::uint32_t lock, Config proposal,
                     Config& locked) {
    proposal.dwFunction = probe;
    Config replied{};
    if (HResult r = accelerator.execute(probe, &proposal, sizeof proposal, &replied, sizeof replied, 0, nullptr);
        failed(r))
        return r;
    replied.dwFunction = lock;
    return accelerator.execute(lock, &replied, sizeof replied, &locked, sizeof locked, 0, nullptr);
}

}  // namespace

const ModeRow* findMode(OutputSubtype subtype) {
    for (const ModeRow& row : kModes)
        if (row.subtype == subtype) return &row;
    return nullptr;
}

HResult configureDxva(DxvaAccelerator& accelerator, OutputSubtype subtype, DxvaConnection& result) {
    const ModeRow* mode = findMode(subtype);
    if (!mode) return hr::e_invalidarg;
    if (HResult r = probeAndLock(accelerator, kProbePictureDecode, kLockPictureDecode, pictureDecodeProposal(),
                                 result.config);
        failed(r))
        return r;
    std::memset(result.compBufferInfo, 0, sizeof result.compBufferInfo);
    std::uint32_t count = kCompBufferTypes;
    if (HResult r = accelerator.getInternalCompBufferInfo(&count, result.compBufferInfo); failed(r)) return r;

    result.alphaBlend = false;
    result.alphaLoadConfig = DXVA_ConfigAlphaLoad{};
    result.alphaCombineConfig = DXVA_ConfigAlphaCombine{};
    if (mode->alphaBlend) {
        DXVA_ConfigAlphaLoad load{};
        load.bConfigDataType = DXVA_CONFIG_DATA_TYPE_AYUV;
        probeAndLock(accelerator, kProbeAlphaLoad, kLockAlphaLoad, load, result.alphaLoadConfig);
        DXVA_ConfigAlphaCombine combine{};
        combine.bConfigOnlyUsePicDestRectArea = 1;
        probeAndLock(accelerator, kProbeAlphaCombine, kLockAlphaCombine, combine, result.alphaCombineConfig);
    }
    result.alphaBlend = result.alphaLoadConfig.bConfigDataType == DXVA_CONFIG_DATA_TYPE_AYUV;
    return hr::ok;
}

}  // namespace tl::dxva
