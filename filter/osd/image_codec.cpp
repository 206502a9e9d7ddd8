#include "filter/osd/image_codec.h"

#include <wincodec.h>

#include <cstring>

#include "filter/com/com_ptr.h"
#include "filter/com/type_library.h"

namespace tl {
namespace {

HRESULT Factory(com::ComPtr<IWICImagingFactory>& factory) {
    return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                            factory.OutVoid());
}

// Any WIC source as premultiplied B, G, R, A.
HRESULT CopyPremultiplied(IWICImagingFactory* factory, IWICBitmapSource* source, ContentSurface& image) {
    com::ComPtr<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateFormatConverter(converter.Out());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr)) hr = converter->GetSize(&width, &height);
    if (SUCCEEDED(hr) && (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF)) hr = E_FAIL;
    if (FAILED(hr)) return hr;
    ContentSurface decoded;
    decoded.resize(int(width), int(height));
    hr = converter->CopyPixels(nullptr, UINT(decoded.pitch()), UINT(decoded.pixels.size()), decoded.pixels.data());
    if (SUCCEEDED(hr)) image = std::move(decoded);
    return hr;
}

HRESULT DecodeFirstFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, ContentSurface& image) {
    com::ComPtr<IWICBitmapFrameDecode> frame;
    const HRESULT hr = decoder->GetFrame(0, frame.Out());
    return FAILED(hr) ? hr : CopyPremultiplied(factory, frame.Get(), image);
}

}  // namespace

HRESULT DecodeImageFile(const wchar_t* path, ContentSurface& image) {
    com::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = Factory(factory);
    com::ComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.Out());
    return FAILED(hr) ? hr : DecodeFirstFrame(factory.Get(), decoder.Get(), image);
}

HRESULT DecodeImageStream(IStream* stream, ContentSurface& image) {
    com::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = Factory(factory);
    com::ComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(hr)) hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out());
    return FAILED(hr) ? hr : DecodeFirstFrame(factory.Get(), decoder.Get(), image);
}

HRESULT ScaleImage(const ContentSurface& image, int width, int height, bool smooth, ContentSurface& scaled) {
    com::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = Factory(factory);
    com::ComPtr<IWICBitmap> source;
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapFromMemory(UINT(image.width), UINT(image.height), GUID_WICPixelFormat32bppPBGRA,
                                             UINT(image.pitch()), UINT(image.pixels.size()),
                                             const_cast<BYTE*>(image.pixels.data()), source.Out());
    com::ComPtr<IWICBitmapScaler> scaler;
    if (SUCCEEDED(hr)) hr = factory->CreateBitmapScaler(scaler.Out());
    if (SUCCEEDED(hr))
        hr = scaler->Initialize(source.Get(), UINT(width), UINT(height),
                                smooth ? WICBitmapInterpolationModeLinear : WICBitmapInterpolationModeNearestNeighbor);
    if (FAILED(hr)) return hr;
    ContentSurface result;
    result.resize(width, height);
    hr = scaler->CopyPixels(nullptr, UINT(result.pitch()), UINT(result.pixels.size()), result.pixels.data());
    if (SUCCEEDED(hr)) scaled = std::move(result);
    return hr;
}

HRESULT OpenResourceStream(const wchar_t* typeName, int id, IStream** stream) {
    *stream = nullptr;
    const HMODULE module = com::ThisModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), typeName);
    if (!found) return E_FAIL;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!bytes || size == 0) return E_FAIL;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return E_OUTOFMEMORY;
    void* target = GlobalLock(copy);
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    const HRESULT hr = CreateStreamOnHGlobal(copy, TRUE, stream);
    if (FAILED(hr)) GlobalFree(copy);
    return hr;
}

}  // namespace tl
