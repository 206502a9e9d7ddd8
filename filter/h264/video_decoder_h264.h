// The class registered for H.264 input. It answers only its automation interface,
// so creating a decoder engine from it fails and H.264 input is refused at Pause.
#pragma once
#include <FilterVideoDecoder.h>

#include "filter/com/dual.h"
#include "filter/com/interface_map.h"

namespace tl {

class VideoDecoderH264 : public com::Dual<IVideoDecoderH264> {
public:
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE get_value(BSTR* pVal) override;
};

}  // namespace tl
