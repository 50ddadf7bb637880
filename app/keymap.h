// Which physical keys stand for each of the game's keys. The game itself only ever sees
// virtual-key codes; a binding makes a scancode set the code of its action, so key scripts,
// recordings and replays stay exact whatever keys the player uses.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One game key and what keys.conf calls it.
struct KeyAction {
    const char* name;
    uint8_t virtualKey;
    const char* what;  // for --help and the file's comments
};

inline constexpr KeyAction KEY_ACTIONS[] = {
    {"pitch-down", 104, "nose down; previous mission in the menu"},
    {"pitch-up", 101, "nose up; next mission in the menu"},
    {"roll-left", 100, "roll left"},
    {"roll-right", 102, "roll right"},
    {"yaw-left", 103, "rudder left"},
    {"yaw-right", 105, "rudder right"},
    {"gun", 90, "fire the gun (held)"},
    {"launcher", 88, "launch a rocket or missile (one per press)"},
    {"throttle-up", 81, "throttle up"},
    {"throttle-down", 65, "throttle down"},
    {"look-back", 112, "look backwards (held)"},
    {"radar-range", 113, "radar range"},
    {"view", 114, "cockpit or outside view"},
    {"map", 115, "map (held)"},
    {"previous-aircraft", 122, "fly the previous aircraft"},
    {"next-aircraft", 123, "fly the next aircraft"},
    {"start", 32, "start; choose the mission"},
    {"back", 27, "back; abandon the mission; quit"},
    {"information", 13, "information box"},
    {"pause", 19, "pause or resume a mission"},
};
inline constexpr int KEY_ACTION_COUNT = static_cast<int>(std::size(KEY_ACTIONS));

class KeyMap {
public:
    KeyMap();  // the default bindings

    // Replaces an action's keys. Returns false for an unknown action.
    bool bind(std::string_view action, const std::vector<SDL_Scancode>& keys);

    // The virtual-key codes a scancode sets while it is held: its own code when that is not
    // one of the actions' codes (those come only from bindings), plus the codes of the
    // actions bound to it.
    std::vector<uint8_t> codesOf(SDL_Scancode scancode) const;

    // "pitch-down: Keypad 8, Up" lines for --help.
    std::string describe() const;

    // The names of the keys bound to the action of a virtual-key code, as keys.conf writes them;
    // empty for a code no action has.
    std::vector<std::string> keyNames(uint8_t virtualKey) const;

private:
    std::vector<SDL_Scancode> keys_[KEY_ACTION_COUNT];
};

// A keys.conf text: "action = Key, Key" lines (SDL's key names, or Comma and Period), '#'
// comments and blank lines. Each bad line
// keeps that action's defaults and adds "keys.conf:LINE: reason" to problems.
KeyMap parseKeyConfig(std::string_view text, const std::string& fileName, std::vector<std::string>& problems);

// $XDG_CONFIG_HOME/vantrel/keys.conf, or ~/.config/vantrel/keys.conf; empty when neither
// variable is set.
std::string keyConfigPath();

// The keys in force for --help (keys.conf's, else the defaults): where to change them, every
// action's keys, and the full-screen switch.
std::string keysHelp();

// Reads keyConfigPath() when it exists, printing each problem as one line on stderr.
KeyMap loadKeyMap();

}  // namespace vantrel
