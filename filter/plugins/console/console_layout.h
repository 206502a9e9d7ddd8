// How the console's controls follow its window: the script edit grows with it,
// the Topmost box moves down, the language box and the Run button move right
// and down, the size grip stays in the corner.
#pragma once
#include <windows.h>

#include <vector>

namespace tl {

class ConsoleLayout {
public:
    enum class Anchor { Grow, Down, RightDown };

    // Takes the controls' places in the dialog's client area as they are now.
    void Capture(HWND dialog, std::initializer_list<std::pair<int, Anchor>> controls, HWND sizeGrip);
    // Moves the controls for the dialog's new client size.
    void Apply(HWND dialog) const;

private:
    struct Placed {
        HWND window;
        RECT rect;
        Anchor anchor;
    };
    SIZE client_{};
    std::vector<Placed> placed_;
};

}  // namespace tl
