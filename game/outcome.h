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

// Why the seat's aircraft went down: what took its armor last.
enum class LossCause : int8_t {
    None,  // it flies, or nothing of the mission took armor from it
    Gunfire,
    Rocket,
    Missile,
    Crashed,             // into the ground at flying speed
    Stalled,             // too slow to fly, it sank into the ground
    CollidedWithEnemy,   // touched an aircraft of another side
    CollidedWithFriend,  // touched an aircraft of its own side
};

// The aircraft the mission asks the seat's side to guard.
enum class GuardedFate : int8_t {
    None,  // the mission guards none (on the seat's side)
    Flying,
    Lost,
};

struct MissionOutcome {
    MissionResult result;
    int enemiesDowned, enemies;  // aircraft placed on another side than the seat's aircraft
    int friendsLost;             // that aircraft's own side, the aircraft itself left out
    int ownKills;                // enemies downed whose last damage the seat's aircraft dealt
    int32_t missionTicks;        // from the first mission tick to the one that decided it
    LossCause loss;              // None while the seat's aircraft flies
    GuardedFate guarded;
};

// The outcome for the human in the seat (PLAYER_SEAT in a game for one). Counts by the sides
// the mission placed, so destroyed aircraft still count for their side. While the end
// countdown runs the time stops where the outcome was decided. Back on the title screen the
// World still holds the last mission's aircraft and sides.
MissionOutcome missionOutcome(const World& w, int seat);

// How the seat's aircraft was lost, in a few lower-case words ("crashed into the ground");
// empty for None.
const char* lossName(LossCause cause);

// "running", "complete", "failure" or "abandoned".
const char* resultName(MissionResult r);

}  // namespace vantrel
