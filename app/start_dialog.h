// The start dialog: window or full screen, sound on or off, START or CANCEL.
#pragma once

namespace vantrel {

struct StartChoice {
    int screenMode = -1;  // -1 start cancelled, 0 window, 1 full screen
    int soundEnabled = 0;
};

// Runs the dialog until START, CANCEL or its close box. SDL video must be initialised.
// A dialog that cannot open counts as cancelled, after a message on standard error.
StartChoice runStartDialog(bool soundTicked);

}  // namespace vantrel
