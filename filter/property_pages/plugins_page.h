// The Plugins page: the plug-ins of the registry list that are not hidden, with
// whether each is enabled, its priority and class; the "Enable" check box switches
// the selected one, and Apply writes every listed plug-in's enable value.
#pragma once
#include <vector>

#include "filter/plugins/host/plugin_list.h"
#include "filter/property_pages/property_page.h"

namespace tl {

class PluginsPage : public PropertyPage {
public:
    PluginsPage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<PluginsPage>(); }

protected:
    void OnActivate() override;
    void OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

private:
    int SelectedRow() const;
    void ShowEnabled(int row);

    std::vector<PluginRecord> plugins_;  // in the rows' order
};

}  // namespace tl
