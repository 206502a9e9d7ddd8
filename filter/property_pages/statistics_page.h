// The Statistics page: a list of parameters and values, refreshed every 200 ms
// while the page is shown.
#pragma once
#include "filter/property_pages/property_page.h"
#include "filter/property_pages/statistics_rows.h"

namespace tl {

class StatisticsPage : public PropertyPage {
public:
    StatisticsPage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<StatisticsPage>(); }

protected:
    void OnActivate() override;
    void OnDeactivate() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

private:
    void Refresh();

    ByteRate readRate_;
};

}  // namespace tl
