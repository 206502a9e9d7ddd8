// A tool-tip window over the controls of a dialog: wide enough for the long
// explanations, shown for 30 seconds, quick to reappear from one control to the
// next. It is owned by the dialog and goes with it.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

class ToolTips {
public:
    explicit ToolTips(HWND dialog);
    // One tool covering `control`; the text is copied.
    void Add(HWND control, const std::wstring& text);

private:
    HWND dialog_;
    HWND window_;
};

}  // namespace tl
