// Computer pilots: rebuild the control word of every aircraft but the player's.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updateAiPilots(World& w);

}  // namespace vantrel
