// How the mission the World holds stands or ended, for everything that tells it: the head-up
// display's result and debrief lines, the demo's closing line and vantrel-sim's JSON.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace vantrel {

enum class MissionResult : int8_t {
    Running,    // not decided yet
    Complete,   // decided with the seat's aircraft in the air
    Failure,    // decided with the seat's aircraft down
    Abandoned,  // left with ESC in the tick just run
};

struct MissionOutcome {
    MissionResult result;
    int enemiesDowned, enemies;  // aircraft placed on another side than the seat's aircraft
    int friendsLost;             // that aircraft's own side, the aircraft itself left out
    int32_t missionTicks;        // from the first mission tick to the one that decided it
};

// The outcome for the human in the seat (PLAYER_SEAT in a game for one). Counts by the sides
// the mission placed, so destroyed aircraft still count for their side. While the end
// countdown runs the time stops where the outcome was decided. Back on the title screen the
// World still holds the last mission's aircraft and sides.
MissionOutcome missionOutcome(const World& w, int seat);

// "running", "complete", "failure" or "abandoned".
const char* resultName(MissionResult r);

}  // namespace vantrel
