// The browser's gamepads as keys, laid out as the desktop's (app/gamepad.h): a pad in the
// browser's standard mapping holds the same virtual-key codes as the same pad through SDL.
#pragma once

#include <bitset>
#include <vector>

namespace vantrel::web {

// What the browser reports of one pad in the standard mapping: axes -1..1 (0, 1 the left
// stick's x and y, y down), buttons 0..1 (0 A, 1 B, 2 X, 3 Y, 4 and 5 the shoulders, 6 and 7
// the left and right triggers, 8 back, 9 start, 12 and 13 the d-pad's up and down).
struct StandardPad {
    std::vector<double> axes;
    std::vector<double> buttons;
};

std::bitset<256> padKeys(const StandardPad& pad);

}  // namespace vantrel::web
