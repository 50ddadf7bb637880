// Gun shots, rockets and missiles: movement, guidance, hits.
#pragma once

#include "world/world.h"

namespace vantrel {

constexpr float HIT_RADIUS = 0.6f;               // world units, every weapon
constexpr double MISSILE_TURN_STEP = 0.0244346;  // radians per tick about each axis (1.4 degrees)

// A whole number of degrees 0..359 in radians, from one draw: the roll of a launched
// projectile and the spin of flashes and flames.
float randomAngle(World& w);

// Fills the first free slot; its life comes from the weapon's lifetime. Dropped when all
// 240 slots are live. Called by the weapon release with the muzzle point in world axes and the
// slot of the aircraft that fired.
void spawnProjectile(World& w, const Pose& launch, int16_t target, int8_t weapon, int8_t side, int shooter);

// Moves every live projectile in two half-steps, steers missiles, applies ground and
// aircraft hits. Runs right after the aircraft update, so a projectile moves in the tick
// it is launched.
void updateProjectiles(World& w);

}  // namespace vantrel
