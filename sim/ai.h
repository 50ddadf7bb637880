// Computer pilots: rebuild the control word of every aircraft but the player's.
#pragma once

#include "world/world.h"

namespace vantrel {

// Once per mission tick, after the player's controls and before target selection. Visits
// slots 0..29, skipping free slots and playerIndex; a playerIndex outside 0..29 hands every
// live aircraft to a pilot. A target outside 0..29 (-1 = none) counts as gone.
void updateAiPilots(World& w);

}  // namespace vantrel
