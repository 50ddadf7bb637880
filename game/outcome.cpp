#include "game/outcome.h"

#include "game/flow.h"

namespace vantrel {

namespace {

bool playerInTheAir(const World& w) { return isAircraftSlot(w.playerIndex) && isAlive(w, w.playerIndex); }

MissionResult resultOf(const World& w) {
    if (w.gameMode == MODE_MISSION && w.flowCounter == 0) return MissionResult::Running;
    if (w.gameMode != MODE_MISSION && isPressed(w.input, VK_ESCAPE)) return MissionResult::Abandoned;
    return playerInTheAir(w) ? MissionResult::Complete : MissionResult::Failure;
}

}  // namespace

MissionOutcome missionOutcome(const World& w) {
    MissionOutcome o{resultOf(w), 0, 0, 0, w.tickCount};
    if (w.gameMode == MODE_MISSION && w.flowCounter > 0) o.missionTicks -= END_COUNTDOWN_TICKS - w.flowCounter;
    if (!isAircraftSlot(w.playerIndex)) return o;
    const int8_t playerSide = w.placedSide[w.playerIndex];
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const int8_t side = w.placedSide[slot];
        const bool lost = !isAlive(w, slot);
        if (side == 0 || slot == w.playerIndex) continue;
        if (side == playerSide) {
            o.friendsLost += lost;
        } else {
            ++o.enemies;
            o.enemiesDowned += lost;
        }
    }
    return o;
}

const char* resultName(MissionResult r) {
    switch (r) {
        case MissionResult::Running:
            return "running";
        case MissionResult::Complete:
            return "complete";
        case MissionResult::Failure:
            return "failure";
        case MissionResult::Abandoned:
            return "abandoned";
    }
    return "running";
}

}  // namespace vantrel
