// The Capture page: what a picture capture would take (a file mask, an interval,
// picture types, a range of GOP times). The values live in the page object only:
// they are shown each time the page is, and nothing is written anywhere.
#pragma once
#include <string>

#include "filter/property_pages/property_page.h"

namespace tl {

// All off, empty or 0 when the page is created.
struct CaptureValues {
    bool enabled = false;
    std::wstring fileMask;
    UINT intervalMs = 0;
    bool iFrames = false;
    bool pFrames = false;
    bool bFrames = false;
    bool gopEnabled = false;
    UINT gopFrom = 0;
    UINT gopTo = 0;
};

class CapturePage : public PropertyPage {
public:
    CapturePage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<CapturePage>(); }

protected:
    void OnActivate() override;
    void OnDeactivate() override;

private:
    CaptureValues values_;
};

}  // namespace tl
