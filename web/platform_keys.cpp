#include "web/platform_keys.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "world/keys.h"

namespace vantrel::web {

namespace {

// The game's actions and the keys of each in the two sets (a key of one set only leaves the
// second name empty).
struct Binding {
    uint8_t code;
    std::array<std::string_view, 2> keys;
};
constexpr Binding DEFAULT_BINDINGS[] = {
    {VK_NUMPAD8, {"Numpad8", "ArrowUp"}},
    {VK_NUMPAD5, {"Numpad5", "ArrowDown"}},
    {VK_NUMPAD4, {"Numpad4", "ArrowLeft"}},
    {VK_NUMPAD6, {"Numpad6", "ArrowRight"}},
    {VK_NUMPAD7, {"Numpad7", "Comma"}},
    {VK_NUMPAD9, {"Numpad9", "Period"}},
    {VK_Z, {"KeyZ"}},
    {VK_X, {"KeyX"}},
    {VK_Q, {"KeyQ"}},
    {VK_A, {"KeyA"}},
    {VK_F1, {"F1"}},
    {VK_F2, {"F2"}},
    {VK_F3, {"F3"}},
    {VK_F4, {"F4"}},
    {VK_F11, {"F11"}},
    {VK_F12, {"F12"}},
    {VK_SPACE, {"Space"}},
    {VK_ESCAPE, {"Escape"}},
    {VK_RETURN, {"Enter", "NumpadEnter"}},
    {VK_PAUSE, {"KeyP", "Pause"}},
};

// Keys whose own code is not found from the pattern of their name.
struct NamedKey {
    std::string_view name;
    uint8_t code;
};
constexpr NamedKey NAMED_KEYS[] = {
    {"Enter", VK_RETURN},
    {"NumpadEnter", VK_RETURN},
    {"Escape", VK_ESCAPE},
    {"Backspace", 8},
    {"Tab", 9},
    {"Space", VK_SPACE},
    {"Pause", 19},
    {"CapsLock", 20},
    {"PageUp", 33},
    {"PageDown", 34},
    {"End", 35},
    {"Home", 36},
    {"ArrowLeft", VK_LEFT},
    {"ArrowUp", VK_UP},
    {"ArrowRight", VK_RIGHT},
    {"ArrowDown", VK_DOWN},
    {"Insert", 45},
    {"Delete", 46},
    {"MetaLeft", 91},
    {"MetaRight", 92},
    {"ContextMenu", 93},
    {"NumLock", 144},
    {"ScrollLock", 145},
    {"ShiftLeft", 160},
    {"ShiftRight", 161},
    {"ControlLeft", 162},
    {"ControlRight", 163},
    {"AltLeft", 164},
    {"AltRight", 165},
    {"NumpadMultiply", 106},
    {"NumpadAdd", 107},
    {"NumpadSubtract", 109},
    {"NumpadDecimal", 110},
    {"NumpadDivide", 111},
    {"Semicolon", 186},
    {"Equal", 187},
    {"Comma", 188},
    {"Minus", 189},
    {"Period", 190},
    {"Slash", 191},
    {"Backquote", 192},
    {"BracketLeft", 219},
    {"Backslash", 220},
    {"BracketRight", 221},
    {"Quote", 222},
};

// A number from 'from' to 'to' after the prefix, as the rest of the name; -1 otherwise.
int numberAfter(std::string_view name, std::string_view prefix, int from, int to) {
    if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 2) return -1;
    int n = 0;
    for (const char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n >= from && n <= to ? n : -1;
}

// The key's own virtual-key code, or 0.
uint8_t ownCodeOf(std::string_view name) {
    if (name.size() == 4 && name.starts_with("Key") && name[3] >= 'A' && name[3] <= 'Z') return uint8_t(name[3]);
    if (const int n = numberAfter(name, "Digit", 0, 9); n >= 0 && name.size() == 6) return uint8_t('0' + n);
    if (const int n = numberAfter(name, "Numpad", 0, 9); n >= 0 && name.size() == 7) return uint8_t(96 + n);
    if (const int n = numberAfter(name, "F", 1, 24); n >= 0) return uint8_t(VK_F1 + n - 1);
    for (const NamedKey& k : NAMED_KEYS) {
        if (k.name == name) return k.code;
    }
    return 0;
}

bool isBoundTo(const Binding& b, std::string_view domCode) {
    return !domCode.empty() && std::find(b.keys.begin(), b.keys.end(), domCode) != b.keys.end();
}

// "Numpad8" reads "Keypad 8", "ArrowUp" "Up", "KeyZ" "Z", "Enter" "Return", as the desktop names
// the keys.
std::string displayName(std::string_view domCode) {
    if (domCode == "Enter") return "Return";
    constexpr std::string_view PREFIXES[][2] = {{"Numpad", "Keypad "}, {"Arrow", ""}, {"Key", ""}};
    for (const auto& [dom, shown] : PREFIXES) {
        if (domCode.starts_with(dom) && domCode.size() > dom.size()) {
            return std::string(shown) + std::string(domCode.substr(dom.size()));
        }
    }
    return std::string(domCode);
}

bool isActionCode(uint8_t code) {
    return std::any_of(std::begin(DEFAULT_BINDINGS), std::end(DEFAULT_BINDINGS),
                       [code](const Binding& b) { return b.code == code; });
}

}  // namespace

std::vector<std::string> keyNamesOf(uint8_t code) {
    std::vector<std::string> names;
    for (const Binding& b : DEFAULT_BINDINGS) {
        if (b.code != code) continue;
        for (const std::string_view key : b.keys) {
            if (!key.empty()) names.push_back(displayName(key));
        }
    }
    return names;
}

std::bitset<256> codesOfKey(std::string_view domCode) {
    std::bitset<256> codes;
    const uint8_t own = ownCodeOf(domCode);
    if (own != 0 && !isActionCode(own)) codes.set(own);
    for (const Binding& b : DEFAULT_BINDINGS) {
        if (isBoundTo(b, domCode)) codes.set(b.code);
    }
    return codes;
}

bool isGameKey(std::string_view domCode) {
    return std::any_of(std::begin(DEFAULT_BINDINGS), std::end(DEFAULT_BINDINGS),
                       [domCode](const Binding& b) { return isBoundTo(b, domCode); });
}

void BrowserKeyboard::setKey(std::string_view domCode, bool down) {
    const auto held = held_.find(domCode);
    if (!down) {
        if (held == held_.end()) return;
        held_.erase(held);
        keys_.released(codesOfKey(domCode));
        return;
    }
    if (held != held_.end()) return;
    const std::bitset<256> codes = codesOfKey(domCode);
    if (codes.none()) return;
    held_.emplace(domCode);
    keys_.pressed(codes);
}

void BrowserKeyboard::releaseAll() {
    held_.clear();
    keys_.releaseAll();
}

void BrowserKeyboard::takeSnapshot(uint8_t out[256]) {
    std::bitset<256> codes;
    for (const std::string& key : held_) codes |= codesOfKey(key);
    keys_.takeSnapshot(codes, out);
}

}  // namespace vantrel::web
