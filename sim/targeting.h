// The player's automatic target: the enemy nearest the line of flight.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void selectPlayerTarget(World& w);

}  // namespace vantrel
