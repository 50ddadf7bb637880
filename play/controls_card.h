// The controls card: what each key does, with the keys the player has for it (the platform
// names them, from keys.conf on the desktop) and, when one is plugged in, the gamepad's control.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "render/hints.h"
#include "world/keys.h"

namespace vantrel {

// What the platform says about the player's keys.
class KeyDescriber {
public:
    virtual ~KeyDescriber() = default;
    // The names of the keys that hold a virtual-key code, in the platform's order; empty when no
    // key does.
    virtual std::vector<std::string> keyNames(uint8_t code) = 0;
    virtual bool gamepadConnected() = 0;
};

struct CardAction {
    const char* action;
    uint8_t codes[2];  // the second 0 for a single action
    const char* pad;   // the gamepad's control, empty for none
    bool inMission;    // on the card of a mission's first seconds
    bool essential;    // the card of a mission's first seconds stays until each of these is used
    bool inMatch;      // does something in a network match, which runs on for the others
};

inline constexpr CardAction CARD_ACTIONS[] = {
    {"NOSE DOWN / UP", {VK_NUMPAD8, VK_NUMPAD5}, "stick/d-pad", true, true, true},
    {"ROLL LEFT / RIGHT", {VK_NUMPAD4, VK_NUMPAD6}, "stick", true, true, true},
    {"RUDDER LEFT / RIGHT", {VK_NUMPAD7, VK_NUMPAD9}, "shoulders", false, false, true},
    {"THROTTLE UP / DOWN", {VK_Q, VK_A}, "triggers", true, true, true},
    {"GUN (HOLD)", {VK_Z, 0}, "A", true, true, true},
    {"ROCKET OR MISSILE", {VK_X, 0}, "B", true, false, true},
    {"MAP (HOLD)", {VK_F4, 0}, "", false, false, true},
    {"PAUSE", {VK_PAUSE, 0}, "Start", true, false, false},
    {"RADAR RANGE", {VK_F2, 0}, "X", false, false, true},
    {"LOOK BACK (HOLD)", {VK_F1, 0}, "", false, false, true},
    {"COCKPIT / CHASE VIEW", {VK_F3, 0}, "Y", false, false, true},
    {"FLY ANOTHER AIRCRAFT", {VK_F11, VK_F12}, "", false, false, false},
    {"LEAVE THE MISSION", {VK_ESCAPE, 0}, "Back", false, false, true},
    {"INFORMATION", {VK_RETURN, 0}, "", false, false, true},
};
constexpr int CARD_ACTION_COUNT = static_cast<int>(std::size(CARD_ACTIONS));

// Bit i stands for CARD_ACTIONS[i].
using CardRowSet = uint32_t;
static_assert(CARD_ACTION_COUNT <= 32, "one bit of a CardRowSet per card action");

// The rows of every action, or of the mission card's alone; rows in used are marked used. In a
// network match the actions it has no use for are left out.
std::vector<render::ControlsCardRow> controlsCardRows(KeyDescriber& keys, bool missionOnly, CardRowSet used,
                                                      bool inMatch = false);

// The rows whose keys are held in a 256-byte snapshot.
CardRowSet rowsHeld(const uint8_t keys[256]);

CardRowSet essentialRows();

// "Keypad 8/5, Up/Down" for two actions' key lists; a single list joined by commas. Names that
// share a first word ("Keypad 8", "Keypad 5") give it once.
std::string keyList(const std::vector<std::string>& first, const std::vector<std::string>& second = {});

// The first key's name in capitals ("ESCAPE"), or fallback when no key holds the code.
std::string firstKeyName(KeyDescriber& keys, uint8_t code, const std::string& fallback);

}  // namespace vantrel
