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

// True for an index that names an aircraft slot; a target outside 0..29 (-1 = none) is gone.
inline bool isAircraftSlot(int index) { return index >= 0 && index < MAX_AIRCRAFT; }

// Rewrites the player's target from nothing every mission tick, after the pilots and
// before the aircraft update.
void selectPlayerTarget(World& w);

}  // namespace vantrel
