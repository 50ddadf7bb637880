// Sounds heard from a place in the world.
#pragma once

#include "world/world.h"

namespace vantrel {

// Appends to every human seat's table a play of channel whose volume falls with the distance
// from that seat's camera: 100 at the eye, nothing from 66.67 units on (then nothing is
// appended).
void emitSoundAt(World& w, float x, float y, float z, int channel);

}  // namespace vantrel
