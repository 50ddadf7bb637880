#include "sim/damage.h"

namespace vantrel {

namespace {

bool isTerrainDamage(DamageCause cause) { return cause == DAMAGE_GROUND || cause == DAMAGE_STALL; }

}  // namespace

void noteDamage(World& w, int victim, int by, DamageCause cause) {
    DamageRecord& last = w.lastDamage[victim];
    last.cause = cause;
    // A wreck that falls after a hit stays the shooter's.
    if (isTerrainDamage(cause)) return;
    last.by = isAircraftSlot(by) ? static_cast<int8_t>(by) : NO_AIRCRAFT;
    appendCombatEvent(w.combat, CombatEvent{COMBAT_HIT, static_cast<int8_t>(victim), last.by, cause});
}

void noteLoss(World& w, int victim) {
    const DamageRecord& last = w.lastDamage[victim];
    appendCombatEvent(w.combat, CombatEvent{COMBAT_DOWNED, static_cast<int8_t>(victim), last.by, last.cause});
}

}  // namespace vantrel
