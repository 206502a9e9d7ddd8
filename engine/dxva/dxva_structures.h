// The DirectX VA 1 records the decoder and an accelerator exchange, in their
// public byte layouts (packed, little-endian), with fixed-width members so the
// portable core can fill them without <windows.h>. The filter hands the same
// bytes to IAMVideoAccelerator unchanged.
#pragma once
#include <cstdint>

namespace tl::dxva {

#pragma pack(push, 1)

struct Guid {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

// {1B81BED0-A0C7-11D3-B984-00C04F2E73C5}
inline constexpr Guid DXVA_NoEncrypt = {0x1b81bed0, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};

struct DXVA_PictureParameters {
    std::uint16_t wDecodedPictureIndex;
    std::uint16_t wDeblockedPictureIndex;
    std::uint16_t wForwardRefPictureIndex;
    std::uint16_t wBackwardRefPictureIndex;
    std::uint16_t wPicWidthInMBminus1;
    std::uint16_t wPicHeightInMBminus1;
    std::uint8_t bMacroblockWidthMinus1;
    std::uint8_t bMacroblockHeightMinus1;
    std::uint8_t bBlockWidthMinus1;
    std::uint8_t bBlockHeightMinus1;
    std::uint8_t bBPP;
    std::uint8_t bPicStructure;
    std::uint8_t bSecondField;
    std::uint8_t bPicIntra;
    std::uint8_t bPicBackwardPrediction;
    std::uint8_t bBidirectionalAveragingMode;
    std::uint8_t bMVprecisionAndChromaRelation;
    std::uint8_t bChromaFormat;
    std::uint8_t bPicScanFixed;
    std::uint8_t bPicScanMethod;
    std::uint8_t bPicReadbackRequests;
    std::uint8_t bRcontrol;
    std::uint8_t bPicSpatialResid8;
    std::uint8_t bPicOverflowBlocks;
    std::uint8_t bPicExtrapolation;
    std::uint8_t bPicDeblocked;
    std::uint8_t bPicDeblockConfined;
    std::uint8_t bPic4MVallowed;
    std::uint8_t bPicOBMC;
    std::uint8_t bPicBinPB;
    std::uint8_t bMV_RPS;
    std::uint8_t bReservedBits;
    std::uint16_t wBitstreamFCodes;
    std::uint16_t wBitstreamPCEelements;
    std::uint8_t bBitstreamConcealmentNeed;
    std::uint8_t bBitstreamConcealmentMethod;
};
static_assert(sizeof(DXVA_PictureParameters) == 44);

struct DXVA_ConfigPictureDecode {
    std::uint32_t dwFunction;
    std::uint32_t dwReservedBits[3];
    Guid guidConfigBitstreamEncryption;
    Guid guidConfigMBcontrolEncryption;
    Guid guidConfigResidDiffEncryption;
    std::uint8_t bConfigBitstreamRaw;
    std::uint8_t bConfigMBcontrolRasterOrder;
    std::uint8_t bConfigResidDiffHost;
    std::uint8_t bConfigSpatialResid8;
    std::uint8_t bConfigResid8Subtraction;
    std::uint8_t bConfigSpatialHost8or9Clipping;
    std::uint8_t bConfigSpatialResidInterleaved;
    std::uint8_t bConfigIntraResidUnsigned;
    std::uint8_t bConfigResidDiffAccelerator;
    std::uint8_t bConfigHostInverseScan;
    std::uint8_t bConfigSpecificIDCT;
    std::uint8_t bConfig4GroupedCoefs;
};
static_assert(sizeof(DXVA_ConfigPictureDecode) == 76);

struct DXVA_ConfigAlphaLoad {
    std::uint32_t dwFunction;
    std::uint32_t dwReservedBits[3];
    std::uint8_t bConfigDataType;
};
static_assert(sizeof(DXVA_ConfigAlphaLoad) == 17);

struct DXVA_ConfigAlphaCombine {
    std::uint32_t dwFunction;
    std::uint32_t dwReservedBits[3];
    std::uint8_t bConfigBlendType;
    std::uint8_t bConfigPictureResizing;
    std::uint8_t bConfigOnlyUsePicDestRectArea;
    std::uint8_t bConfigGraphicResizing;
    std::uint8_t bConfigWholePlaneAlpha;
};
static_assert(sizeof(DXVA_ConfigAlphaCombine) == 21);

struct DXVA_BufferDescription {
    std::uint32_t dwTypeIndex;
    std::uint32_t dwBufferIndex;
    std::uint32_t dwDataOffset;
    std::uint32_t dwDataSize;
    std::uint32_t dwFirstMBaddress;
    std::uint32_t dwNumMBsInBuffer;
    std::uint32_t dwWidth;
    std::uint32_t dwHeight;
    std::uint32_t dwStride;
    std::uint32_t dwReservedBits;
};
static_assert(sizeof(DXVA_BufferDescription) == 40);

struct Rect {
    std::int32_t left, top, right, bottom;
};

struct DXVA_AYUVsample2 {
    std::uint8_t bCrValue;
    std::uint8_t bCbValue;
    std::uint8_t bY_Value;
    std::uint8_t bSampleAlpha8;
};

struct DXVA_BlendCombination {
    std::uint16_t wPictureSourceIndex;
    std::uint16_t wBlendedDestinationIndex;
    Rect PictureSourceRect16thPel;
    Rect PictureDestinationRect;
    Rect GraphicSourceRect;
    Rect GraphicDestinationRect;
    std::uint16_t wBlendDelay;
    std::uint8_t bBlendOn;
    std::uint8_t bWholePlaneAlpha;
    DXVA_AYUVsample2 OutsideYUVcolor;
};
static_assert(sizeof(DXVA_BlendCombination) == 76);

// AMVACompBufferInfo with its DDSCAPS2 and DDPIXELFORMAT members kept as words.
struct AMVACompBufferInfo {
    std::uint32_t dwNumCompBuffers;
    std::uint32_t dwWidthToCreate;
    std::uint32_t dwHeightToCreate;
    std::uint32_t dwBytesToAllocate;
    std::uint32_t ddCompCaps[4];
    std::uint32_t ddPixelFormat[8];
};
static_assert(sizeof(AMVACompBufferInfo) == 64);

struct AMVABUFFERINFO {
    std::uint32_t dwTypeIndex;
    std::uint32_t dwBufferIndex;
    std::uint32_t dwDataOffset;
    std::uint32_t dwDataSize;
};
static_assert(sizeof(AMVABUFFERINFO) == 16);

#pragma pack(pop)

// Not packed: these carry pointers, laid out as the platform lays out the
// IAMVideoAccelerator arguments of the same names.
struct AMVABeginFrameInfo {
    std::uint32_t dwDestSurfaceIndex;
    void* pInputData;
    std::uint32_t dwSizeInputData;
    void* pOutputData;
    std::uint32_t dwSizeOutputData;
};

struct AMVAEndFrameInfo {
    std::uint32_t dwSizeMiscData;
    void* pMiscData;
};

// Compressed buffer types.
inline constexpr std::uint32_t DXVA_PICTURE_DECODE_BUFFER = 1;
inline constexpr std::uint32_t DXVA_MACROBLOCK_CONTROL_BUFFER = 2;
inline constexpr std::uint32_t DXVA_RESIDUAL_DIFFERENCE_BUFFER = 3;
inline constexpr std::uint32_t DXVA_AYUV_BUFFER = 8;
inline constexpr std::uint32_t DXVA_ALPHA_BLEND_COMBINATION_BUFFER = 13;
inline constexpr int kCompBufferTypes = 16;

// Execute function codes: the function in the top byte.
inline constexpr std::uint32_t kPictureDecodingFunction = 0x01000000;    // DXVA_PICTURE_DECODING_FUNCTION
inline constexpr std::uint32_t kAlphaBlendDataLoadFunction = 0x02000000;  // DXVA_ALPHA_BLEND_DATA_LOAD_FUNCTION
inline constexpr std::uint32_t kAlphaBlendCombinationFunction = 0x03000000;

// Configuration exchange: probe and lock queries per configuration kind.
inline constexpr std::uint32_t kProbePictureDecode = 0xFFFFF101;
inline constexpr std::uint32_t kProbeAlphaLoad = 0xFFFFF102;
inline constexpr std::uint32_t kProbeAlphaCombine = 0xFFFFF103;
inline constexpr std::uint32_t kLockPictureDecode = 0xFFFFF501;
inline constexpr std::uint32_t kLockAlphaLoad = 0xFFFFF502;
inline constexpr std::uint32_t kLockAlphaCombine = 0xFFFFF503;

// bConfigDataType of an alpha load: AYUV samples.
inline constexpr std::uint8_t DXVA_CONFIG_DATA_TYPE_AYUV = 3;

// wMBtype bits the flags word does not carry itself.
inline constexpr std::uint16_t kMBtypeAlternateScan = 1u << 6;
inline constexpr std::uint16_t kMBtypeHostResidDiff = 1u << 10;

// QueryRenderStatus type for "any buffer of the surface".
inline constexpr std::uint32_t kRenderStatusAnyType = 0xFFFFFFFFu;

}  // namespace tl::dxva
