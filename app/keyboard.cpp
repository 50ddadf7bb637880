#include "app/keyboard.h"

#include <array>
#include <iterator>

#include "world/keys.h"

namespace vantrel {

namespace {

// A run of consecutive scancodes that map to consecutive virtual-key codes. Only keys that
// key scripts can name are mapped, so a recording holds every key the World saw.
struct ScancodeRun {
    SDL_Scancode first;
    int count;
    uint8_t firstKey;
};

constexpr ScancodeRun SCANCODE_RUNS[] = {
    {SDL_SCANCODE_A, 26, 'A'},
    {SDL_SCANCODE_1, 9, '1'},
    {SDL_SCANCODE_0, 1, '0'},
    {SDL_SCANCODE_F1, 12, VK_F1},
    {SDL_SCANCODE_F13, 12, 124},
    {SDL_SCANCODE_KP_1, 9, 97},
    {SDL_SCANCODE_KP_0, 1, 96},
    {SDL_SCANCODE_KP_MULTIPLY, 1, 106},
    {SDL_SCANCODE_KP_PLUS, 1, 107},
    {SDL_SCANCODE_KP_MINUS, 1, 109},
    {SDL_SCANCODE_KP_PERIOD, 1, 110},
    {SDL_SCANCODE_KP_DIVIDE, 1, 111},
    {SDL_SCANCODE_KP_ENTER, 1, VK_RETURN},
    {SDL_SCANCODE_RETURN, 1, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, 1, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, 1, 8},
    {SDL_SCANCODE_TAB, 1, 9},
    {SDL_SCANCODE_SPACE, 1, VK_SPACE},
    {SDL_SCANCODE_PAUSE, 1, 19},
    {SDL_SCANCODE_CAPSLOCK, 1, 20},
    {SDL_SCANCODE_PAGEUP, 1, 33},
    {SDL_SCANCODE_PAGEDOWN, 1, 34},
    {SDL_SCANCODE_END, 1, 35},
    {SDL_SCANCODE_HOME, 1, 36},
    {SDL_SCANCODE_LEFT, 1, VK_LEFT},
    {SDL_SCANCODE_UP, 1, VK_UP},
    {SDL_SCANCODE_RIGHT, 1, VK_RIGHT},
    {SDL_SCANCODE_DOWN, 1, VK_DOWN},
    {SDL_SCANCODE_INSERT, 1, 45},
    {SDL_SCANCODE_DELETE, 1, 46},
    {SDL_SCANCODE_LGUI, 1, 91},
    {SDL_SCANCODE_RGUI, 1, 92},
    {SDL_SCANCODE_APPLICATION, 1, 93},
    {SDL_SCANCODE_NUMLOCKCLEAR, 1, 144},
    {SDL_SCANCODE_SCROLLLOCK, 1, 145},
    {SDL_SCANCODE_LSHIFT, 1, 160},
    {SDL_SCANCODE_RSHIFT, 1, 161},
    {SDL_SCANCODE_LCTRL, 1, 162},
    {SDL_SCANCODE_RCTRL, 1, 163},
    {SDL_SCANCODE_LALT, 1, 164},
    {SDL_SCANCODE_RALT, 1, 165},
    {SDL_SCANCODE_SEMICOLON, 1, 186},
    {SDL_SCANCODE_EQUALS, 1, 187},
    {SDL_SCANCODE_COMMA, 1, 188},
    {SDL_SCANCODE_MINUS, 1, 189},
    {SDL_SCANCODE_PERIOD, 1, 190},
    {SDL_SCANCODE_SLASH, 1, 191},
    {SDL_SCANCODE_GRAVE, 1, 192},
    {SDL_SCANCODE_LEFTBRACKET, 1, 219},
    {SDL_SCANCODE_BACKSLASH, 1, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 1, 221},
    {SDL_SCANCODE_APOSTROPHE, 1, 222},
};

constexpr auto VIRTUAL_KEYS = [] {
    std::array<uint8_t, SDL_NUM_SCANCODES> keys{};
    for (const ScancodeRun& run : SCANCODE_RUNS) {
        for (int i = 0; i < run.count; ++i) keys[run.first + i] = static_cast<uint8_t>(run.firstKey + i);
    }
    return keys;
}();

}  // namespace

uint8_t virtualKeyOf(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return VIRTUAL_KEYS[scancode];
}

void KeyboardSnapshot::setKey(SDL_Scancode scancode, bool down) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return;
    heldScancodes_.set(scancode, down);
    std::bitset<256> codes;
    for (uint8_t code : map_.codesOf(scancode)) codes.set(code);
    if (down)
        keys_.pressed(codes);
    else
        keys_.released(codes);
}

void KeyboardSnapshot::setPadKeys(const std::bitset<256>& held) { keys_.setPadKeys(held); }

void KeyboardSnapshot::releaseAll() {
    heldScancodes_.reset();
    keys_.releaseAll();
}

std::bitset<256> KeyboardSnapshot::heldCodes() const {
    std::bitset<256> codes;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        if (!heldScancodes_.test(scancode)) continue;
        for (uint8_t code : map_.codesOf(static_cast<SDL_Scancode>(scancode))) codes.set(code);
    }
    return codes;
}

void KeyboardSnapshot::takeSnapshot(uint8_t out[256]) { keys_.takeSnapshot(heldCodes(), out); }

}  // namespace vantrel
