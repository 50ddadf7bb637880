// Gamepads as keys: each pad's stick, shoulders, triggers and buttons hold virtual-key codes,
// which join the keyboard's in the snapshot, so the game reads a pad exactly as the keys.
#pragma once

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include <bitset>
#include <cstdint>
#include <map>

namespace vantrel {

// A stick or trigger must pass this (of 32767) before it counts, so a worn stick resting
// a little off centre does not fly the aircraft.
constexpr int STICK_DEAD_ZONE = 8000;
constexpr int TRIGGER_THRESHOLD = 8000;

// What SDL reports of one pad.
struct PadState {
    int16_t axes[SDL_CONTROLLER_AXIS_MAX] = {};
    bool buttons[SDL_CONTROLLER_BUTTON_MAX] = {};
};

// The codes a pad holds: stick forward/back = NUMPAD8/5 (nose down/up, menu cursor), left and
// right = NUMPAD4/6, shoulders = NUMPAD7/9, right/left trigger = Q/A, A = Z (gun), B = X
// (launcher: the game launches once per press), start = SPACE and PAUSE (the game starts from the
// menu on SPACE; in a mission the program pauses on PAUSE), back = ESC.
std::bitset<256> padKeys(const PadState& pad);

// The open pads by joystick instance id; plugging in and out happens between ticks.
class Gamepads {
public:
    Gamepads() = default;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;
    ~Gamepads();

    // Handles a controller event; returns true when the pads' keys may have changed.
    bool handleEvent(const SDL_Event& e);
    std::bitset<256> heldKeys() const;
    bool anyConnected() const { return !pads_.empty(); }

private:
    struct Pad {
        SDL_GameController* controller;
        PadState state;
    };
    void open(int deviceIndex);
    void close(SDL_JoystickID id);

    std::map<SDL_JoystickID, Pad> pads_;
};

}  // namespace vantrel
