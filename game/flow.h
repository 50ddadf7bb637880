// Game flow over the title screen, the mission menu and a mission, run once per logic tick.
#pragma once

#include <cstdint>
#include <string>

#include "world/situation.h"

namespace vantrel {

constexpr int END_COUNTDOWN_TICKS = 150;

// "<dataDir>/sN.au1", the situation file of mission n (1..5).
std::string situationPath(const std::string& dataDir, int n);

// Load-time world set-up: tick counter, height grid (a missing file leaves it flat) and
// the title screen.
void loadWorldAssets(World& w, const std::string& dataDir);

// The seven simulation steps of one mission tick, in their fixed order.
void runMissionSteps(World& w);

// One mission tick after the keys: the combat events emptied, the seven steps, the engine
// sounds, ESC (outside a match) and the end countdown, which starts when one side is left in
// the air or no seat's aircraft is.
void updateMission(World& w);

// Places the situation in the file and enters its mission, as SPACE on the menu does. Returns
// false with the reason in error, the World's mode unchanged, when the file is refused.
bool enterMission(World& w, const std::string& situationFile, std::string& error);

// What a tick leaves for the program to act on besides the World and its sound events.
struct TickNotes {
    bool informationAsked = false;  // RETURN went down: the platform shows the information box
    std::string refusal;            // why the situation asked for could not start; empty if none
};

TickNotes updateGameFlow(World& w, const std::string& dataDir);

// One logic tick of a game for one: roll the player's key snapshots, count the tick and run
// the game flow.
TickNotes logicTick(World& w, const std::string& dataDir, const uint8_t snapshot[256]);

}  // namespace vantrel
