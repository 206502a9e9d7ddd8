// The filter's pins as the information overlay and the Statistics page show them:
// each pin's name with its connection subtype and the filter it is connected to.
// Built only from what any plug-in or page can reach: the filter's pins.
#pragma once
#include <FilterVideoDecoder.h>

#include <string>
#include <vector>

namespace tl {

struct PinConnection {
    std::wstring pin;          // "Video Out"
    std::wstring description;  // "Type:{YUY2}, ConnectedTo:{Video Renderer}"
};

// One entry per pin in the filter's order; a pin that cannot say its name is left out.
std::vector<PinConnection> DescribePins(IFilterVideoDecoder* filter);

// The connection subtype as the pins are described: a known name in braces, or the
// GUID's registry form.
std::wstring SubtypeName(const GUID& subtype);

}  // namespace tl
