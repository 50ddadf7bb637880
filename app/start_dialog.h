// The start dialog: window or full screen, sound on or off, the picture's quality, START or
// CANCEL.
#pragma once

#include <optional>

#include "play/options.h"

namespace vantrel {

// Runs the dialog until START (the player's choice), CANCEL or its close box (nothing); Tab and
// the arrows move a visible focus, Space acts on it, Enter starts and Esc cancels. SDL video
// must be initialised. A dialog that cannot open counts as cancelled, after a message on
// standard error. quality is chosen when it opens; on a software renderer the dialog says which
// quality suits it.
std::optional<StartChoice> runStartDialog(bool soundTicked, render::Quality quality);

}  // namespace vantrel
