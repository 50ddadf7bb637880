// Player input: the key snapshot becomes the control word of the player's aircraft.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updatePlayerControls(World& w);

}  // namespace vantrel
