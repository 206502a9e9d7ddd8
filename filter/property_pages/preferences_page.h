// The Preferences page: the filter's settings as check boxes, the deinterlace
// method list, the output type and connection lists and the forced aspect ratio,
// with tool tips, and a button that stores them as the defaults.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "filter/property_pages/property_page.h"
#include "filter/property_pages/tool_tips.h"

namespace tl {

class PreferencesPage : public PropertyPage {
public:
    PreferencesPage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<PreferencesPage>(); }

protected:
    void OnActivate() override;
    void OnDeactivate() override;
    void OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

private:
    // What every control shows now, in the order of the page's bindings, the
    // aspect ratio last.
    std::vector<std::wstring> ControlStates() const;
    void UpdateDirty();
    void SaveDefaults();

    std::vector<std::wstring> loaded_;
    std::unique_ptr<ToolTips> tips_;
};

}  // namespace tl
