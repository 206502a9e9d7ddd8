// The tests' own filters: one pin on the filter base of filter/dshow, with no class ID and
// nothing to do on state changes.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/com/interface_map.h"
#include "filter/com/object.h"
#include "filter/dshow/base_filter.h"

namespace tl::test {

template <class PinType>
class OnePinFilter : public BaseFilter {
public:
    OnePinFilter() : BaseFilter(GUID_NULL), pin_(this) {}
    static const com::InterfaceEntry* InterfaceMap() { return BaseFilterInterfaceMap<OnePinFilter>(); }

    PinType& Pin() { return pin_; }

protected:
    std::vector<IPin*> Pins() override { return {&pin_}; }

private:
    com::Embedded<PinType> pin_;
};

// A new filter with one reference.
template <class PinType>
com::ComPtr<OnePinFilter<PinType>> CreateOnePinFilter() {
    return com::ComPtr<OnePinFilter<PinType>>(new com::Object<OnePinFilter<PinType>>());
}

}  // namespace tl::test
