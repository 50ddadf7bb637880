#include "app/keymap.h"

#include <SDL_keyboard.h>
#include <SDL_stdinc.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/keyboard.h"
#include "play/config_file.h"

namespace vantrel {

namespace {

// The keypad and letters come first; the second set (arrows, comma and full stop) lets a
// keyboard without a keypad fly and move the menu cursor.
struct DefaultBinding {
    const char* action;
    SDL_Scancode keys[2];
};
constexpr DefaultBinding DEFAULT_BINDINGS[] = {
    {"pitch-down", {SDL_SCANCODE_KP_8, SDL_SCANCODE_UP}},
    {"pitch-up", {SDL_SCANCODE_KP_5, SDL_SCANCODE_DOWN}},
    {"roll-left", {SDL_SCANCODE_KP_4, SDL_SCANCODE_LEFT}},
    {"roll-right", {SDL_SCANCODE_KP_6, SDL_SCANCODE_RIGHT}},
    {"yaw-left", {SDL_SCANCODE_KP_7, SDL_SCANCODE_COMMA}},
    {"yaw-right", {SDL_SCANCODE_KP_9, SDL_SCANCODE_PERIOD}},
    {"gun", {SDL_SCANCODE_Z}},
    {"launcher", {SDL_SCANCODE_X}},
    {"throttle-up", {SDL_SCANCODE_Q}},
    {"throttle-down", {SDL_SCANCODE_A}},
    {"look-back", {SDL_SCANCODE_F1}},
    {"radar-range", {SDL_SCANCODE_F2}},
    {"view", {SDL_SCANCODE_F3}},
    {"map", {SDL_SCANCODE_F4}},
    {"previous-aircraft", {SDL_SCANCODE_F11}},
    {"next-aircraft", {SDL_SCANCODE_F12}},
    {"start", {SDL_SCANCODE_SPACE}},
    {"back", {SDL_SCANCODE_ESCAPE}},
    {"information", {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER}},
    {"pause", {SDL_SCANCODE_P, SDL_SCANCODE_PAUSE}},
};

// Keys whose SDL names are the list separator or look like punctuation in a file.
struct KeyAlias {
    const char* name;
    SDL_Scancode scancode;
};
constexpr KeyAlias KEY_ALIASES[] = {{"Comma", SDL_SCANCODE_COMMA}, {"Period", SDL_SCANCODE_PERIOD}};

SDL_Scancode scancodeNamed(const std::string& name) {
    for (const KeyAlias& a : KEY_ALIASES) {
        if (SDL_strcasecmp(name.c_str(), a.name) == 0) return a.scancode;
    }
    return SDL_GetScancodeFromName(name.c_str());
}

std::string nameOf(SDL_Scancode scancode) {
    for (const KeyAlias& a : KEY_ALIASES) {
        if (a.scancode == scancode) return a.name;
    }
    return SDL_GetScancodeName(scancode);
}

constexpr std::size_t DESCRIPTION_COLUMN = 42;  // where --help's comments line up

int actionIndex(std::string_view name) {
    for (int i = 0; i < KEY_ACTION_COUNT; ++i) {
        if (name == KEY_ACTIONS[i].name) return i;
    }
    return -1;
}

bool isActionCode(uint8_t code) {
    return std::any_of(std::begin(KEY_ACTIONS), std::end(KEY_ACTIONS),
                       [code](const KeyAction& a) { return a.virtualKey == code; });
}

// "Keypad 8, Up" to scancodes: SDL's own key names or the aliases, without regard to case.
// Returns false with the offending name in error.
bool parseKeyList(std::string_view list, std::vector<SDL_Scancode>& out, std::string& error) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name(trimmed(list.substr(start, comma - start)));
        const SDL_Scancode scancode = scancodeNamed(name);
        if (name.empty()) {
            error = "an empty key name";
            return false;
        }
        if (scancode == SDL_SCANCODE_UNKNOWN || virtualKeyOf(scancode) == 0) {
            error = "\"" + name + "\" is not a key the game can use";
            return false;
        }
        out.push_back(scancode);
        start = comma + 1;
    }
    return true;
}

// One line's action and keys. Returns the reason it is refused, or an empty string.
std::string applyLine(KeyMap& map, std::string_view action, std::string_view keyList) {
    if (actionIndex(action) < 0) return "unknown action \"" + std::string(action) + "\"";
    std::vector<SDL_Scancode> keys;
    std::string error;
    if (!parseKeyList(keyList, keys, error)) return error;
    map.bind(action, keys);
    return {};
}

}  // namespace

KeyMap::KeyMap() {
    for (const DefaultBinding& d : DEFAULT_BINDINGS) {
        std::vector<SDL_Scancode> keys;
        for (SDL_Scancode k : d.keys) {
            if (k != SDL_SCANCODE_UNKNOWN) keys.push_back(k);
        }
        bind(d.action, keys);
    }
}

bool KeyMap::bind(std::string_view action, const std::vector<SDL_Scancode>& keys) {
    const int index = actionIndex(action);
    if (index < 0) return false;
    keys_[index] = keys;
    return true;
}

std::vector<uint8_t> KeyMap::codesOf(SDL_Scancode scancode) const {
    std::vector<uint8_t> codes;
    const uint8_t own = virtualKeyOf(scancode);
    if (own != 0 && !isActionCode(own)) codes.push_back(own);
    for (int i = 0; i < KEY_ACTION_COUNT; ++i) {
        if (std::find(keys_[i].begin(), keys_[i].end(), scancode) != keys_[i].end()) {
            codes.push_back(KEY_ACTIONS[i].virtualKey);
        }
    }
    return codes;
}

std::string KeyMap::describe() const {
    std::string text;
    for (int i = 0; i < KEY_ACTION_COUNT; ++i) {
        std::string line = "  " + std::string(KEY_ACTIONS[i].name) + " =";
        for (std::size_t k = 0; k < keys_[i].size(); ++k) {
            line += (k == 0 ? " " : ", ") + nameOf(keys_[i][k]);
        }
        line.resize(std::max<std::size_t>(line.size() + 1, DESCRIPTION_COLUMN), ' ');
        text += line + "# " + KEY_ACTIONS[i].what + "\n";
    }
    return text;
}

std::vector<std::string> KeyMap::keyNames(uint8_t virtualKey) const {
    std::vector<std::string> names;
    for (int i = 0; i < KEY_ACTION_COUNT; ++i) {
        if (KEY_ACTIONS[i].virtualKey != virtualKey) continue;
        for (const SDL_Scancode k : keys_[i]) names.push_back(nameOf(k));
    }
    return names;
}

KeyMap parseKeyConfig(std::string_view text, const std::string& fileName, std::vector<std::string>& problems) {
    KeyMap map;
    readConfigLines(
        text, fileName, "action = Key, Key",
        [&map](std::string_view action, std::string_view keys) { return applyLine(map, action, keys); }, problems);
    return map;
}

std::string keyConfigPath() { return configFilePath("keys.conf"); }

namespace {

// keys.conf when it can be read, else the defaults; each refused line adds to problems.
KeyMap readKeyMap(std::vector<std::string>& problems) {
    const std::optional<std::string> text = readTextFile(keyConfigPath());
    if (!text) return KeyMap();
    return parseKeyConfig(*text, keyConfigPath(), problems);
}

}  // namespace

KeyMap loadKeyMap() {
    std::vector<std::string> problems;
    KeyMap map = readKeyMap(problems);
    for (const std::string& p : problems)
        std::fprintf(stderr, "vantrel: %s (defaults kept for that line)\n", p.c_str());
    return map;
}

std::string keysHelp() {
    const std::string path = keyConfigPath();
    std::vector<std::string> problems;
    const KeyMap map = readKeyMap(problems);
    std::string text = "Keys in force (change them in " + (path.empty() ? "$XDG_CONFIG_HOME/vantrel/keys.conf" : path) +
                       "):\n" + map.describe();
    for (const std::string& p : problems) text += "  (" + p + "; defaults kept for that line)\n";
    return text + "  Alt+Enter switches a window to full screen and back.\n";
}

}  // namespace vantrel
