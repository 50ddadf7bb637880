// Who took armor from whom: kept in the World for the program's notices and the outcome of a
// mission. The simulation calls these where armor is lost and where an aircraft is destroyed.
#pragma once

#include "world/world.h"

namespace vantrel {

// Aircraft `victim` lost armor to cause, from aircraft `by`. A weapon's or a collision's damage
// is also a hit among this tick's combat events and names the aircraft that dealt it; the
// terrain's names none and keeps the aircraft that hit the victim before, which is then
// credited with its loss.
void noteDamage(World& w, int victim, int by, DamageCause cause);

// Aircraft `victim` was destroyed, by the damage it took last.
void noteLoss(World& w, int victim);

}  // namespace vantrel
