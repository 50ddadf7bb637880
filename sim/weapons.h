// Weapon release: the gun and launcher patterns of every aircraft type. Run by the aircraft
// update for each living aircraft after it has moved: fireGun, fireLauncher, then
// countDownCooldowns.
#pragma once

#include "world/world.h"

namespace vantrel {

// One shot when the gun command is held, the cooldown is over and rounds are left.
void fireGun(World& w, Aircraft& a);

// One launch when the launcher command is set, the cooldown is over and uses are left;
// a launch costs one use whatever it releases.
void fireLauncher(World& w, Aircraft& a);

// Both cooldowns down by one tick, never below 0; every tick, whether or not anything fired.
void countDownCooldowns(Aircraft& a);

}  // namespace vantrel
