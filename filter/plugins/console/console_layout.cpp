#include "filter/plugins/console/console_layout.h"

namespace tl {

void ConsoleLayout::Capture(HWND dialog, std::initializer_list<std::pair<int, Anchor>> controls, HWND sizeGrip) {
    RECT client;
    GetClientRect(dialog, &client);
    client_ = {client.right, client.bottom};
    placed_.clear();
    const auto place = [&](HWND window, Anchor anchor) {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        placed_.push_back({window, rect, anchor});
    };
    for (const auto& [id, anchor] : controls) place(GetDlgItem(dialog, id), anchor);
    if (sizeGrip) place(sizeGrip, Anchor::RightDown);
}

void ConsoleLayout::Apply(HWND dialog) const {
    RECT client;
    GetClientRect(dialog, &client);
    const LONG dx = client.right - client_.cx, dy = client.bottom - client_.cy;
    for (const Placed& p : placed_) {
        RECT r = p.rect;
        switch (p.anchor) {
            case Anchor::Grow: r.right += dx, r.bottom += dy; break;
            case Anchor::Down: OffsetRect(&r, 0, dy); break;
            case Anchor::RightDown: OffsetRect(&r, dx, dy); break;
        }
        MoveWindow(p.window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

}  // namespace tl
