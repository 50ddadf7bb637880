// How the mission the World holds stands or ended, for everything that tells it: the head-up
// display's result and debrief lines, the demo's closing line and vantrel-sim's JSON.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace vantrel {

enum class MissionResult : int8_t {
    Running,    // not decided yet
    Complete,   // decided with the player's aircraft in the air
    Failure,    // decided with the player's aircraft down
    Abandoned,  // left with ESC in the tick just run
};

struct MissionOutcome {
    MissionResult result;
    int enemiesDowned, enemies;  // aircraft placed on another side than the player's
    int friendsLost;             // the player's own side, the player's aircraft left out
    int32_t missionTicks;        // from the first mission tick to the one that decided it
};

// Counts by the sides the mission placed, so destroyed aircraft still count for their side.
// While the end countdown runs the time stops where the outcome was decided. Back on the title
// screen the World still holds the last mission's aircraft and sides.
MissionOutcome missionOutcome(const World& w);

// "running", "complete", "failure" or "abandoned".
const char* resultName(MissionResult r);

}  // namespace vantrel
