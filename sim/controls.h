// Player input: the key snapshot becomes the control word of the player's aircraft.
#pragma once

#include "world/world.h"

namespace vantrel {

// First step of every mission tick. Rebuilds the controls of the aircraft that is the
// player's as the tick begins, flips the radar range (F2) and view (F3) toggles, shows the
// map while F4 is held, and hands the player the next (F12) or previous (F11) live aircraft
// of any side, F12 first.
void updatePlayerControls(World& w);

}  // namespace vantrel
