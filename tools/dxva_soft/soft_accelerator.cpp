#include "tools/dxva_soft/soft_accelerator.h"

#include <cstring>

namespace tl::dxva_soft {
namespace {

using namespace dxva;

// The picture parameters buffer holds one record; room for a little more, as drivers give.
constexpr std::uint32_t kPictureParametersBytes = 64;

template <class Config>
bool readConfig(const void* input, std::uint32_t inputSize, Config& config) {
    if (!input || inputSize < sizeof config) return false;
    std::memcpy(&config, input, sizeof config);
    return true;
}

template <class Config>
HResult reply(const Config& config, void* output, std::uint32_t outputSize) {
    if (!output || outputSize < sizeof config) return hr::e_invalidarg;
    std::memcpy(output, &config, sizeof config);
    return hr::ok;
}

}  // namespace

SoftAccelerator::SoftAccelerator(const Options& options) : options_(options), surfaces_(options.surfaces) {
    buffers_[DXVA_PICTURE_DECODE_BUFFER].resize(kPictureParametersBytes);
    buffers_[DXVA_MACROBLOCK_CONTROL_BUFFER].resize(options.controlBytes);
    buffers_[DXVA_RESIDUAL_DIFFERENCE_BUFFER].resize(options.residualBytes);
    if (alphaModes()) {
        buffers_[DXVA_AYUV_BUFFER].resize(std::size_t(options.alphaWidth) * std::size_t(options.alphaHeight) * 4);
        buffers_[DXVA_ALPHA_BLEND_COMBINATION_BUFFER].resize(sizeof(DXVA_BlendCombination));
    }
}

HResult SoftAccelerator::getInternalCompBufferInfo(std::uint32_t* count, AMVACompBufferInfo* info) {
    if (!count || !info) return hr::e_pointer;
    const std::uint32_t n = *count < std::uint32_t(kCompBufferTypes) ? *count : kCompBufferTypes;
    for (std::uint32_t type = 0; type < n; ++type) {
        info[type] = AMVACompBufferInfo{};
        if (buffers_[type].empty()) continue;
        info[type].dwNumCompBuffers = 1;
        info[type].dwBytesToAllocate = std::uint32_t(buffers_[type].size());
        if (type == DXVA_AYUV_BUFFER) {
            info[type].dwWidthToCreate = std::uint32_t(options_.alphaWidth);
            info[type].dwHeightToCreate = std::uint32_t(options_.alphaHeight);
        }
    }
    *count = n;
    return hr::ok;
}

// The configuration this accelerator decodes with: its mode's residual form,
// raster-ordered control records, signed intra residuals, no encryption.
DXVA_ConfigPictureDecode SoftAccelerator::supportedConfig() const {
    DXVA_ConfigPictureDecode c{};
    c.dwFunction = kLockPictureDecode;
    c.guidConfigBitstreamEncryption = DXVA_NoEncrypt;
    c.guidConfigMBcontrolEncryption = DXVA_NoEncrypt;
    c.guidConfigResidDiffEncryption = DXVA_NoEncrypt;
    c.bConfigMBcontrolRasterOrder = 1;
    const bool host = options_.mode == 'A' || options_.mode == 'B';
    c.bConfigResidDiffHost = host ? 1 : 0;
    c.bConfigResidDiffAccelerator = host ? 0 : 1;
    c.bConfig4GroupedCoefs = !host && !options_.singleCoefficients ? 1 : 0;
    return c;
}

HResult SoftAccelerator::configure(std::uint32_t function, const void* input, std::uint32_t inputSize,
                                   void* output, std::uint32_t outputSize) {
    switch (function) {
    case kProbePictureDecode:
    case kLockPictureDecode: {
        DXVA_ConfigPictureDecode asked;
        if (!readConfig(input, inputSize, asked)) return hr::e_invalidarg;
        DXVA_ConfigPictureDecode mine = supportedConfig();
        if (function == kProbePictureDecode) {
            // A probe may propose anything: the reply says what will be done.
            mine.dwFunction = kProbePictureDecode;
            return reply(mine, output, outputSize);
        }
        mine.dwFunction = asked.dwFunction;
        if (options_.refuseLock || std::memcmp(&mine, &asked, sizeof mine) != 0) return hr::e_fail;
        locked_ = true;
        picture_.config = mine;
        return reply(mine, output, outputSize);
    }
    case kProbeAlphaLoad:
    case kLockAlphaLoad: {
        DXVA_ConfigAlphaLoad asked;
        if (!alphaModes() || !readConfig(input, inputSize, asked) ||
            asked.bConfigDataType != DXVA_CONFIG_DATA_TYPE_AYUV)
            return hr::e_fail;
        if (function == kLockAlphaLoad) alphaLoadLocked_ = true;
        return reply(asked, output, outputSize);
    }
    case kProbeAlphaCombine:
    case kLockAlphaCombine: {
        DXVA_ConfigAlphaCombine asked;
        if (!alphaModes() || !readConfig(input, inputSize, asked) || asked.bConfigPictureResizing ||
            asked.bConfigGraphicResizing)
            return hr::e_fail;
        if (function == kLockAlphaCombine) alphaCombineLocked_ = true;
        return reply(asked, output, outputSize);
    }
    default:
        return hr::e_invalidarg;
    }
}

bool SoftAccelerator::pendingNow(int& calls) {
    if (options_.pendingEvery <= 0 || ++calls % options_.pendingEvery != 0) return false;
    ++pendingAnswers_;
    return true;
}

HResult SoftAccelerator::beginFrame(const AMVABeginFrameInfo& info) {
    if (!locked_) return hr::e_fail;
    if (info.dwDestSurfaceIndex >= std::uint32_t(surfaces_.count())) return hr::e_invalidarg;
    // Answered once per n calls; the caller's retry then goes through.
    if (pendingNow(beginCalls_)) return hr::e_pending;
    inFrame_ = true;
    frameSurface_ = info.dwDestSurfaceIndex;
    return hr::ok;
}

HResult SoftAccelerator::endFrame(const AMVAEndFrameInfo&) {
    if (!inFrame_) return hr::e_fail;
    inFrame_ = false;
    return hr::ok;
}

HResult SoftAccelerator::getBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex, bool, void** buffer,
                                   std::int32_t* stride) {
    if (!buffer) return hr::e_pointer;
    if (typeIndex >= std::uint32_t(kCompBufferTypes) || bufferIndex != 0 || buffers_[typeIndex].empty())
        return hr::e_invalidarg;
    *buffer = buffers_[typeIndex].data();
    if (stride) *stride = typeIndex == DXVA_AYUV_BUFFER ? 4 * options_.alphaWidth : 0;
    return hr::ok;
}

HResult SoftAccelerator::releaseBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex) {
    if (typeIndex >= std::uint32_t(kCompBufferTypes) || bufferIndex != 0) return hr::e_invalidarg;
    return hr::ok;
}

HResult SoftAccelerator::execute(std::uint32_t function, void* privateInput, std::uint32_t inputSize,
                                 void* privateOutput, std::uint32_t outputSize, std::uint32_t bufferCount,
                                 const AMVABUFFERINFO* buffers) {
    if (function >= kProbePictureDecode)
        return configure(function, privateInput, inputSize, privateOutput, outputSize);
    if (function == kPictureDecodingFunction) {
        if (!inFrame_) return hr::e_fail;
        return decode(privateInput, inputSize, bufferCount, buffers);
    }
    if (function == kAlphaBlendDataLoadFunction) {
        if (!alphaLoadLocked_) return hr::e_fail;
        return alphaLoad(privateInput, inputSize, bufferCount, buffers);
    }
    if (function == kAlphaBlendCombinationFunction) {
        if (!alphaCombineLocked_ || !inFrame_) return hr::e_fail;
        return alphaCombine(bufferCount, buffers);
    }
    return hr::e_invalidarg;
}

HResult SoftAccelerator::alphaLoad(const void* input, std::uint32_t inputSize, std::uint32_t bufferCount,
                                   const AMVABUFFERINFO* buffers) {
    if (bufferCount != 1 || !buffers || buffers[0].dwTypeIndex != DXVA_AYUV_BUFFER || !input ||
        inputSize < sizeof(DXVA_BufferDescription))
        return hr::e_invalidarg;
    const auto* d = static_cast<const DXVA_BufferDescription*>(input);
    const std::vector<std::uint8_t>& ayuv = buffers_[DXVA_AYUV_BUFFER];
    if (d->dwWidth > std::uint32_t(options_.alphaWidth) || d->dwStride < 4 * d->dwWidth ||
        std::uint64_t(d->dwHeight) * d->dwStride > ayuv.size())
        return hr::e_invalidarg;
    blender_.load(ayuv.data(), int(d->dwWidth), int(d->dwHeight), int(d->dwStride));
    return hr::ok;
}

// Blends into the surface of the current BeginFrame.
HResult SoftAccelerator::alphaCombine(std::uint32_t bufferCount, const AMVABUFFERINFO* buffers) {
    if (bufferCount != 1 || !buffers || buffers[0].dwTypeIndex != DXVA_ALPHA_BLEND_COMBINATION_BUFFER ||
        buffers[0].dwDataSize < sizeof(DXVA_BlendCombination))
        return hr::e_invalidarg;
    DXVA_BlendCombination c;
    std::memcpy(&c, buffers_[DXVA_ALPHA_BLEND_COMBINATION_BUFFER].data(), sizeof c);
    const Surface* source = surfaces_.at(c.wPictureSourceIndex);
    Surface* destination = surfaces_.at(c.wBlendedDestinationIndex);
    if (!source || !destination || c.wBlendedDestinationIndex != frameSurface_ || !source->planes[0])
        return hr::e_invalidarg;
    blender_.blend(c, *source, *destination);
    return hr::ok;
}

// One Execute of picture decoding: the picture parameters alone, or a batch
// of control records with their residuals.
HResult SoftAccelerator::decode(const void* input, std::uint32_t inputSize, std::uint32_t bufferCount,
                                const AMVABUFFERINFO* buffers) {
    if (!buffers || bufferCount == 0 || !input || inputSize < bufferCount * sizeof(DXVA_BufferDescription))
        return hr::e_invalidarg;
    for (std::uint32_t i = 0; i < bufferCount; ++i)
        if (buffers[i].dwTypeIndex >= std::uint32_t(kCompBufferTypes) ||
            buffers[i].dwDataOffset + std::uint64_t(buffers[i].dwDataSize) > buffers_[buffers[i].dwTypeIndex].size())
            return hr::e_invalidarg;

    if (bufferCount == 1 && buffers[0].dwTypeIndex == DXVA_PICTURE_DECODE_BUFFER) {
        if (buffers[0].dwDataSize < sizeof(DXVA_PictureParameters)) return hr::e_invalidarg;
        DXVA_PictureParameters& pp = picture_.params;
        std::memcpy(&pp, buffers_[DXVA_PICTURE_DECODE_BUFFER].data() + buffers[0].dwDataOffset, sizeof pp);
        if (pp.bChromaFormat != 1) return hr::e_invalidarg;
        const int frameRows = (pp.wPicHeightInMBminus1 + 1) * (pp.bPicStructure == 3 ? 1 : 2);
        surfaces_.resize(16 * (pp.wPicWidthInMBminus1 + 1), 16 * frameRows);
        picture_.current = surfaces_.at(pp.wDecodedPictureIndex);
        picture_.forward = surfaces_.at(pp.wForwardRefPictureIndex);
        picture_.backward = surfaces_.at(pp.wBackwardRefPictureIndex);
        return picture_.current ? hr::ok : hr::e_invalidarg;
    }

    const AMVABUFFERINFO* control = nullptr;
    const AMVABUFFERINFO* residual = nullptr;
    const DXVA_BufferDescription* description = nullptr;
    for (std::uint32_t i = 0; i < bufferCount; ++i) {
        if (buffers[i].dwTypeIndex == DXVA_MACROBLOCK_CONTROL_BUFFER) {
            control = &buffers[i];
            description = static_cast<const DXVA_BufferDescription*>(input) + i;
        }
        if (buffers[i].dwTypeIndex == DXVA_RESIDUAL_DIFFERENCE_BUFFER) residual = &buffers[i];
    }
    if (!control || !residual || !picture_.current) return hr::e_invalidarg;
    const std::uint32_t recordSize = picture_.params.bPicIntra ? 16 : 32;
    const std::uint32_t count = description->dwNumMBsInBuffer;
    if (std::uint64_t(count) * recordSize > control->dwDataSize) return hr::e_invalidarg;
    rebuildMacroblocks(picture_, buffers_[DXVA_MACROBLOCK_CONTROL_BUFFER].data() + control->dwDataOffset, count,
                       buffers_[DXVA_RESIDUAL_DIFFERENCE_BUFFER].data() + residual->dwDataOffset,
                       residual->dwDataSize);
    return hr::ok;
}

HResult SoftAccelerator::queryRenderStatus(std::uint32_t, std::uint32_t, std::uint32_t) {
    return pendingNow(statusCalls_) ? hr::e_pending : hr::ok;
}

HResult SoftAccelerator::displayFrame(std::uint32_t flipToIndex, OutputSample* sample) {
    const Surface* shown = surfaces_.at(int(flipToIndex));
    if (!shown || !shown->planes[0] || !sample) return hr::e_invalidarg;
    Displayed d;
    d.surface = flipToIndex;
    d.properties = sample->properties();
    displayed_.push_back(d);
    if (onDisplay) onDisplay(*shown, d.properties);
    return hr::ok;
}

}  // namespace tl::dxva_soft
