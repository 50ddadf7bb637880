// Keyboard snapshots indexed by Windows virtual-key code, with the held and pressed tests.
#pragma once

#include <cstdint>

namespace vantrel {

// The virtual-key codes the game reads.
enum VirtualKey : uint8_t {
    VK_RETURN = 13,
    VK_PAUSE = 19,  // the program's pause; the game itself never reads it
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_A = 65,
    VK_Q = 81,
    VK_X = 88,
    VK_Z = 90,
    VK_NUMPAD4 = 100,
    VK_NUMPAD5 = 101,
    VK_NUMPAD6 = 102,
    VK_NUMPAD7 = 103,
    VK_NUMPAD8 = 104,
    VK_NUMPAD9 = 105,
    VK_F1 = 112,
    VK_F2 = 113,
    VK_F3 = 114,
    VK_F4 = 115,
    VK_F11 = 122,
    VK_F12 = 123,
};

constexpr uint8_t KEY_DOWN_BIT = 0x80;

// keys is this tick's snapshot, prevKeys the previous tick's; both zero before the first tick.
struct KeyState {
    uint8_t keys[256];
    uint8_t prevKeys[256];
};

inline bool isHeld(const KeyState& k, int vk) { return (k.keys[vk & 0xFF] & KEY_DOWN_BIT) != 0; }

// Went down since the previous tick.
inline bool isPressed(const KeyState& k, int vk) {
    return isHeld(k, vk) && (k.prevKeys[vk & 0xFF] & KEY_DOWN_BIT) == 0;
}

// Rolls the snapshots: keys moves to prevKeys and the new snapshot becomes keys.
void updateKeyState(KeyState& k, const uint8_t snapshot[256]);

}  // namespace vantrel
