// Player input: each human seat's key snapshot becomes the control word of its aircraft.
#pragma once

#include "world/world.h"

namespace vantrel {

// A key that steers: held sets the bit every tick the key is down; otherwise only in the tick it
// goes down.
struct ControlKey {
    uint8_t key;
    bool held;
    uint32_t bit;
};

constexpr ControlKey CONTROL_KEYS[] = {
    {VK_NUMPAD8, true, CTRL_PITCH_DOWN}, {VK_NUMPAD5, true, CTRL_PITCH_UP}, {VK_NUMPAD4, true, CTRL_ROLL_LEFT},
    {VK_NUMPAD6, true, CTRL_ROLL_RIGHT}, {VK_NUMPAD7, true, CTRL_YAW_LEFT}, {VK_NUMPAD9, true, CTRL_YAW_RIGHT},
    {VK_Z, true, CTRL_FIRE_GUN},         {VK_X, false, CTRL_FIRE_LAUNCHER}, {VK_Q, true, CTRL_THROTTLE_UP},
    {VK_A, true, CTRL_THROTTLE_DOWN},
};

// The keys a seat's view reads: look back (held), radar range and view (pressed), map (held).
constexpr uint8_t VIEW_KEYS[] = {VK_F1, VK_F2, VK_F3, VK_F4};

// First step of every mission tick. For each human seat: rebuilds the controls of its
// aircraft as the tick begins, flips the radar range (F2) and view (F3) toggles and shows the
// map while F4 is held. Outside a match the player may also take the next (F12) or previous
// (F11) live aircraft of any side, F12 first.
void updatePlayerControls(World& w);

}  // namespace vantrel
