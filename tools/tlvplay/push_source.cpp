#include "tools/tlvplay/push_source.h"

#include "filter/com/object.h"
#include "filter/dshow/base_filter.h"
#include "tools/tlvplay/media_guids.h"
#include "tools/tlvplay/push_source_pin.h"

namespace tl::tlvplay {
namespace {

class PushSource : public BaseFilter {
public:
    explicit PushSource(std::unique_ptr<MpegSource> source)
        : BaseFilter(kClsidPushSource), pin_(this, std::move(source)) {}

    static const com::InterfaceEntry* InterfaceMap() { return BaseFilterInterfaceMap<PushSource>(); }

protected:
    std::vector<IPin*> Pins() override { return {&pin_}; }
    HRESULT OnActivate() override { return pin_.Activate(); }
    void OnDeactivate() override { pin_.Deactivate(); }

private:
    com::Embedded<PushSourcePin> pin_;
};

}  // namespace

HRESULT CreatePushSource(std::unique_ptr<MpegSource> source, IBaseFilter** out) {
    if (!source) return E_INVALIDARG;
    return com::CreateObject<PushSource>(IID_IBaseFilter, reinterpret_cast<void**>(out), std::move(source));
}

}  // namespace tl::tlvplay
