#include "world/combat_events.h"

namespace vantrel {

void appendCombatEvent(CombatEvents& t, const CombatEvent& e) {
    if (t.count >= MAX_COMBAT_EVENTS) {
        ++t.dropped;
        return;
    }
    t.events[t.count++] = e;
}

void clearCombatEvents(CombatEvents& t) { t = CombatEvents{}; }

}  // namespace vantrel
