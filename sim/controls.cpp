#include "sim/controls.h"

namespace vantrel {

namespace {

uint32_t controlWord(const KeyState& keys) {
    uint32_t controls = 0;
    for (const ControlKey& k : CONTROL_KEYS) {
        if (k.held ? isHeld(keys, k.key) : isPressed(keys, k.key)) controls |= k.bit;
    }
    return controls;
}

// Steps the seat's slot by direction (+1 or -1, wrapping over the table) to the first live
// aircraft, at most a full round; with none alive it comes back where it started.
void stepToLiveAircraft(World& w, Seat& s, int direction) {
    for (int n = 0; n < MAX_AIRCRAFT; ++n) {
        s.slot = ((s.slot + direction) % MAX_AIRCRAFT + MAX_AIRCRAFT) % MAX_AIRCRAFT;
        if (isAlive(w, s.slot)) return;
    }
}

void updateSeatControls(World& w, Seat& s) {
    // A slot outside the table has no aircraft to steer; the switch keys can still bring the
    // player back onto one.
    if (Aircraft* a = aircraftInSlot(w, s.slot)) a->controls = controlWord(s.input);
    if (isPressed(s.input, VK_F2)) s.radarLong = static_cast<int8_t>(1 - s.radarLong);
    if (isPressed(s.input, VK_F3)) s.cockpitView = static_cast<int8_t>(1 - s.cockpitView);
    s.mapShown = isHeld(s.input, VK_F4) ? 1 : 0;
    if (w.matchPlay != 0) return;
    if (isPressed(s.input, VK_F12)) stepToLiveAircraft(w, s, 1);
    if (isPressed(s.input, VK_F11)) stepToLiveAircraft(w, s, -1);
}

}  // namespace

void updatePlayerControls(World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat)) updateSeatControls(w, w.seats[seat]);
    }
}

}  // namespace vantrel
