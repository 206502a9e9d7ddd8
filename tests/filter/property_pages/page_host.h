// A property page hosted the way a property frame hosts it: a page site that
// records the status changes, the page activated in a window of the test, and its
// controls driven with the messages a user's input produces.
#pragma once
#include <windows.h>

#include <ocidl.h>

#include <string>
#include <vector>

#include "filter/com/com_ptr.h"

namespace tl::test {

class PageHost {
public:
    // Creates the page class, gives it `object` and shows it.
    PageHost(const CLSID& page, IUnknown* object);
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    IPropertyPage* Page() const { return page_.Get(); }
    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    // PROPPAGESTATUS_ values in the order the page reported them.
    const std::vector<DWORD>& Statuses() const;

    void Click(int id);
    // Types into an edit field or an editable combo box.
    void Type(int id, const std::wstring& text);
    void Select(int id, int index);
    void Slide(int id, int position);
    std::wstring Text(int id) const;
    bool Checked(int id) const;
    // Row texts of a list view, one string per row with its columns joined by "|".
    std::vector<std::wstring> ListRows(int id) const;
    // Selects a row of a list view, which tells the page as a click would.
    void SelectRow(int id, int row);

    // Lets timers and posted messages run.
    static void Pump(DWORD milliseconds);

private:
    class Site;
    com::ComPtr<IPropertyPage> page_;
    Site* site_;
    HWND window_ = nullptr;
    HWND dialog_ = nullptr;
};

}  // namespace tl::test
