#include "sim/controls.h"

namespace vantrel {

namespace {

// held: the bit is set every tick the key is down; otherwise only in the tick it goes down.
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

uint32_t controlWord(const KeyState& keys) {
    uint32_t controls = 0;
    for (const ControlKey& k : CONTROL_KEYS) {
        if (k.held ? isHeld(keys, k.key) : isPressed(keys, k.key)) controls |= k.bit;
    }
    return controls;
}

// Steps playerIndex by direction (+1 or -1, wrapping over the table) to the first live
// aircraft, at most a full round; with none alive it comes back where it started.
void stepToLiveAircraft(World& w, int direction) {
    for (int n = 0; n < MAX_AIRCRAFT; ++n) {
        w.playerIndex = ((w.playerIndex + direction) % MAX_AIRCRAFT + MAX_AIRCRAFT) % MAX_AIRCRAFT;
        if (isAlive(w, w.playerIndex)) return;
    }
}

}  // namespace

void updatePlayerControls(World& w) {
    // An index outside the table has no aircraft to steer; the switch keys can still bring
    // the player back onto one.
    if (Aircraft* player = aircraftInSlot(w, w.playerIndex)) player->controls = controlWord(w.input);
    if (isPressed(w.input, VK_F2)) w.radarLong = static_cast<int8_t>(1 - w.radarLong);
    if (isPressed(w.input, VK_F3)) w.cockpitView = static_cast<int8_t>(1 - w.cockpitView);
    w.mapShown = isHeld(w.input, VK_F4) ? 1 : 0;
    if (isPressed(w.input, VK_F12)) stepToLiveAircraft(w, 1);
    if (isPressed(w.input, VK_F11)) stepToLiveAircraft(w, -1);
}

}  // namespace vantrel
