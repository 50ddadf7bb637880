// Visual effect particles: spawning, ageing and the recipes.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updateEffects(World& w);

}  // namespace vantrel
