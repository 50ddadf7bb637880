// The chase camera: smoothed eye point and angles, sun glare.
#pragma once

#include "world/world.h"

namespace vantrel {

struct Sound;

void updateCamera(World& w);

}  // namespace vantrel
