#include "game/outcome.h"

#include "game/flow.h"

namespace vantrel {

namespace {

MissionResult resultOf(const World& w, const Seat& s) {
    if (w.gameMode == MODE_MISSION && w.flowCounter == 0) return MissionResult::Running;
    if (w.gameMode != MODE_MISSION && isPressed(s.input, VK_ESCAPE)) return MissionResult::Abandoned;
    const bool inTheAir = isAircraftSlot(s.slot) && isAlive(w, s.slot);
    return inTheAir ? MissionResult::Complete : MissionResult::Failure;
}

}  // namespace

MissionOutcome missionOutcome(const World& w, int seat) {
    const Seat& s = w.seats[seat];
    MissionOutcome o{resultOf(w, s), 0, 0, 0, w.tickCount};
    if (w.gameMode == MODE_MISSION && w.flowCounter > 0) o.missionTicks -= END_COUNTDOWN_TICKS - w.flowCounter;
    if (!isAircraftSlot(s.slot)) return o;
    const int8_t playerSide = w.placedSide[s.slot];
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const int8_t side = w.placedSide[slot];
        const bool lost = !isAlive(w, slot);
        if (side == 0 || slot == s.slot) continue;
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
