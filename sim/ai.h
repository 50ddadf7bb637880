// Computer pilots: rebuild the control word of every aircraft no human flies.
#pragma once

#include "world/world.h"

namespace vantrel {

// Once per mission tick, after the players' controls and before target selection. Visits
// slots 0..29, skipping free slots and those a human seat flies; a seat whose slot is outside
// 0..29 flies nothing. A target outside 0..29 (-1 = none) counts as gone.
void updateAiPilots(World& w);

}  // namespace vantrel
