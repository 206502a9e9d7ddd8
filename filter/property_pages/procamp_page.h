// The ProcAmp page: brightness, contrast and saturation as track bars that act on
// the filter's IAMVideoProcAmp at once. A property the filter cannot report (no
// decoder, or an output that is not RGB) leaves its track bar disabled.
#pragma once
#include "filter/property_pages/property_page.h"

namespace tl {

class ProcAmpPage : public PropertyPage {
public:
    ProcAmpPage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<ProcAmpPage>(); }

protected:
    void OnActivate() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

private:
    void Reset();
};

}  // namespace tl
