// Gun shots, rockets and missiles: movement, guidance, hits.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updateProjectiles(World& w, const Sound& sound);

}  // namespace vantrel
