#include "filter/h264/video_decoder_h264.h"

#include "filter/com/bstr.h"

namespace tl {

const com::InterfaceEntry* VideoDecoderH264::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<VideoDecoderH264, IVideoDecoderH264>(),
        com::Entry<VideoDecoderH264, IDispatch, IVideoDecoderH264>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE VideoDecoderH264::get_value(BSTR* pVal) { return com::ReturnString(L"H264 Decoder", pVal); }

}  // namespace tl
