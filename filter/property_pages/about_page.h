// The About page: the filter's version, the legal notices and a link to the
// maker's web site.
#pragma once
#include "filter/property_pages/property_page.h"

namespace tl {

// Where the About page's link leads.
inline constexpr wchar_t kWebAddress[] = L"https://tarvello.kelmarin-systems.example/";

class AboutPage : public PropertyPage {
public:
    AboutPage();
    static const com::InterfaceEntry* InterfaceMap() { return PageInterfaces<AboutPage>(); }

protected:
    void OnActivate() override;
};

}  // namespace tl
