// A static control shown as a web link: underlined text in the link colours of the
// user's browser settings, a hand cursor over the text, a tool tip with the
// address, a focus rectangle, and activation by click, Enter or Space, which opens
// the address and then shows the link as visited, or, when the static has
// SS_NOTIFY, sends its parent STN_CLICKED instead.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

// Subclasses `control` (a static of a dialog, with WS_TABSTOP to take the focus);
// the link lives as long as the control.
void AttachHyperlink(HWND control, const std::wstring& address);

// The link colours: the user's "Anchor Color" and "Anchor Color Visited" when set
// ("r,g,b"), else blue and purple.
COLORREF LinkColour(bool visited);

}  // namespace tl
