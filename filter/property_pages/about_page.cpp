#include "filter/property_pages/about_page.h"

#include "filter/com/class_factory.h"
#include "filter/property_pages/hyperlink.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"

namespace tl {

AboutPage::AboutPage() : PropertyPage(TL_DIALOG_PAGE_ABOUT, TL_STRING_TITLE_ABOUT) {}

void AboutPage::OnActivate() {
    BSTR version = nullptr;
    if (Filter() && SUCCEEDED(Filter()->get_Version(&version)) && version)
        SetDlgItemTextW(Dialog(), TL_CONTROL_ABOUT_VERSION, version);
    SysFreeString(version);
    SetDlgItemTextW(Dialog(), TL_CONTROL_ABOUT_LINK, kWebAddress);
    AttachHyperlink(Control(TL_CONTROL_ABOUT_LINK), kWebAddress);
}

HRESULT CreateAboutPage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<AboutPage>(outer, riid, ppv);
}

}  // namespace tl
