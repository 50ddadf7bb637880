// Flight model and aircraft update, including weapons, collisions and destruction.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updateAircraft(World& w, const Sound& sound);

}  // namespace vantrel
