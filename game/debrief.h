// What the end of a mission tells the player: enemies downed, friends lost, how long it took.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace vantrel {

struct MissionTally {
    int enemiesDowned, enemies;  // aircraft placed on another side than the player's
    int friendsLost;             // the player's own side, the player's aircraft left out
    int32_t missionTicks;        // from the first mission tick to the one that decided it
};

// Counts by the sides the mission placed, so destroyed aircraft still count for their side.
// While the end countdown runs the time stops where the outcome was decided.
MissionTally tallyMission(const World& w);

}  // namespace vantrel
