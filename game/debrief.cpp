#include "game/debrief.h"

#include "game/flow.h"

namespace vantrel {

MissionTally tallyMission(const World& w) {
    MissionTally t{0, 0, 0, w.tickCount};
    if (w.flowCounter > 0) t.missionTicks -= END_COUNTDOWN_TICKS - w.flowCounter;
    if (w.playerIndex < 0 || w.playerIndex >= MAX_AIRCRAFT) return t;
    const int8_t playerSide = w.placedSide[w.playerIndex];
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const int8_t side = w.placedSide[slot];
        const bool lost = !isAlive(w, slot);
        if (side == 0 || slot == w.playerIndex) continue;
        if (side == playerSide) {
            t.friendsLost += lost;
        } else {
            ++t.enemies;
            t.enemiesDowned += lost;
        }
    }
    return t;
}

}  // namespace vantrel
