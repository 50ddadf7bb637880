#include "play/controls_card.h"

#include <algorithm>
#include <cctype>

namespace vantrel {

namespace {

std::string firstWord(const std::string& name) { return name.substr(0, name.find(' ')); }

std::string restAfterFirstWord(const std::string& name) {
    const std::size_t space = name.find(' ');
    return space == std::string::npos ? name : name.substr(space + 1);
}

// "Keypad 8" and "Keypad 5" give "Keypad 8/5"; "Up" and "Down" give "Up/Down".
std::string pairOfNames(const std::string& a, const std::string& b) {
    const bool shared = a.find(' ') != std::string::npos && firstWord(a) == firstWord(b);
    return shared ? a + "/" + restAfterFirstWord(b) : a + "/" + b;
}

}  // namespace

std::string keyList(const std::vector<std::string>& first, const std::vector<std::string>& second) {
    std::string out;
    const std::size_t count = std::max(first.size(), second.size());
    for (std::size_t i = 0; i < count; ++i) {
        std::string item;
        if (i < first.size() && i < second.size()) {
            item = pairOfNames(first[i], second[i]);
        } else {
            item = i < first.size() ? first[i] : second[i];
        }
        out += (out.empty() ? "" : ", ") + item;
    }
    return out;
}

std::vector<render::ControlsCardRow> controlsCardRows(KeyDescriber& keys, bool missionOnly, CardRowSet used,
                                                      bool inMatch) {
    const bool pad = keys.gamepadConnected();
    std::vector<render::ControlsCardRow> rows;
    for (int i = 0; i < CARD_ACTION_COUNT; ++i) {
        const CardAction& a = CARD_ACTIONS[i];
        if ((missionOnly && !a.inMission) || (inMatch && !a.inMatch)) continue;
        const std::vector<std::string> second =
            a.codes[1] != 0 ? keys.keyNames(a.codes[1]) : std::vector<std::string>{};
        std::string names = keyList(keys.keyNames(a.codes[0]), second);
        if (names.empty()) names = "(no key)";
        rows.push_back({names, a.action, pad ? a.pad : "", (used >> i & 1u) != 0});
    }
    return rows;
}

CardRowSet rowsHeld(const uint8_t keys[256]) {
    CardRowSet held = 0;
    for (int i = 0; i < CARD_ACTION_COUNT; ++i) {
        for (const uint8_t code : CARD_ACTIONS[i].codes) {
            if (code != 0 && (keys[code] & KEY_DOWN_BIT) != 0) held |= CardRowSet{1} << i;
        }
    }
    return held;
}

CardRowSet essentialRows() {
    CardRowSet set = 0;
    for (int i = 0; i < CARD_ACTION_COUNT; ++i) {
        if (CARD_ACTIONS[i].essential) set |= CardRowSet{1} << i;
    }
    return set;
}

std::string firstKeyName(KeyDescriber& keys, uint8_t code, const std::string& fallback) {
    const std::vector<std::string> names = keys.keyNames(code);
    std::string name = names.empty() ? fallback : names.front();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name;
}

}  // namespace vantrel
