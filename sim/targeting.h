// The player's automatic target: the enemy nearest the line of flight.
#pragma once

#include "world/world.h"

namespace vantrel {

// How far the nose of an aircraft is from a point, in radians, each within [-PI, PI].
// heading > 0: the point lies to the left (the heading must decrease);
// pitch > 0: the point lies above the nose's elevation.
struct AimError {
    float heading, pitch;
};
AimError aimErrorTo(const Aircraft& from, float x, float y, float z);

// Rewrites the target of every human seat's aircraft from nothing every mission tick, after
// the pilots and before the aircraft update.
void selectPlayerTarget(World& w);

}  // namespace vantrel
