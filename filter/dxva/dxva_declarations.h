// The DirectX VA 1 names the filter needs and the toolchain's headers lack.
// Values are those of the public DirectX VA documentation.
#pragma once
#include <windows.h>

#include <ddraw.h>
#include <guiddef.h>
#include <strmif.h>

#include "engine/dxva/dxva_structures.h"

namespace tl::dxva {

// MPEG-2 restricted profiles A to D (motion compensation, IDCT, or both, done
// by the accelerator), offered as output media subtypes.
inline constexpr GUID kModeMPEG2_A = {0x1b81be0a, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_B = {0x1b81be0b, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_C = {0x1b81be0c, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_D = {0x1b81be0d, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};

// IAMVideoAccelerator, implemented by a renderer's input pin that can host a
// DXVA 1 decoder, and IAMVideoAcceleratorNotify, which the decoder's output pin
// answers while the renderer connects.
inline constexpr GUID kIID_IAMVideoAccelerator = {
    0x256a6a22, 0xfbad, 0x11d1, {0x82, 0xbf, 0x00, 0xa0, 0xc9, 0x69, 0x6c, 0x8f}};
inline constexpr GUID kIID_IAMVideoAcceleratorNotify = {
    0x256a6a21, 0xfbad, 0x11d1, {0x82, 0xbf, 0x00, 0xa0, 0xc9, 0x69, 0x6c, 0x8f}};

// The platform's layouts of the records the portable core declares.
static_assert(sizeof(dxva::Guid) == sizeof(GUID));
static_assert(sizeof(dxva::AMVACompBufferInfo) == 4 * sizeof(DWORD) + sizeof(DDSCAPS2) + sizeof(DDPIXELFORMAT));

struct AMVAUncompBufferInfo {
    DWORD dwMinNumSurfaces;
    DWORD dwMaxNumSurfaces;
    DDPIXELFORMAT ddUncompPixelFormat;
};
static_assert(sizeof(AMVAUncompBufferInfo) == 40);

struct AMVAUncompDataInfo {
    DWORD dwUncompWidth;
    DWORD dwUncompHeight;
    DDPIXELFORMAT ddUncompPixelFormat;
};
static_assert(sizeof(AMVAUncompDataInfo) == 40);

struct AMVAInternalMemInfo {
    DWORD dwScratchMemAlloc;
};

#pragma pack(push, 1)
struct DXVA_ConnectMode {
    GUID guidMode;
    WORD wRestrictedMode;
};
#pragma pack(pop)
static_assert(sizeof(DXVA_ConnectMode) == 18);

struct IAMVideoAccelerator : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetVideoAcceleratorGUIDs(DWORD* count, GUID* guids) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUncompFormatsSupported(const GUID* guid, DWORD* count,
                                                                DDPIXELFORMAT* formats) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternalMemInfo(const GUID* guid, const AMVAUncompDataInfo* data,
                                                         AMVAInternalMemInfo* memory) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCompBufferInfo(const GUID* guid, const AMVAUncompDataInfo* data,
                                                        DWORD* count, dxva::AMVACompBufferInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternalCompBufferInfo(DWORD* count, dxva::AMVACompBufferInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginFrame(const dxva::AMVABeginFrameInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndFrame(const dxva::AMVAEndFrameInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBuffer(DWORD typeIndex, DWORD bufferIndex, BOOL readOnly, void** buffer,
                                                LONG* stride) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseBuffer(DWORD typeIndex, DWORD bufferIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(DWORD function, void* privateInput, DWORD inputSize,
                                              void* privateOutput, DWORD outputSize, DWORD bufferCount,
                                              const dxva::AMVABUFFERINFO* buffers) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryRenderStatus(DWORD typeIndex, DWORD bufferIndex, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayFrame(DWORD flipToIndex, IMediaSample* sample) = 0;
};

struct IAMVideoAcceleratorNotify : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetUncompSurfacesInfo(const GUID* guid, AMVAUncompBufferInfo* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUncompSurfacesInfo(DWORD actualSurfaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCreateVideoAcceleratorData(const GUID* guid, DWORD* size, void** data) = 0;
};

inline bool IsDxvaMode(const GUID& subtype) {
    return IsEqualGUID(subtype, kModeMPEG2_A) || IsEqualGUID(subtype, kModeMPEG2_B) ||
           IsEqualGUID(subtype, kModeMPEG2_C) || IsEqualGUID(subtype, kModeMPEG2_D);
}

}  // namespace tl::dxva
