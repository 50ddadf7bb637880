#include "app/gamepad.h"

#include <SDL_error.h>

#include <cstdio>

#include "world/keys.h"

namespace vantrel {

namespace {

struct ButtonKey {
    SDL_GameControllerButton button;
    uint8_t code;
};
constexpr ButtonKey BUTTON_KEYS[] = {
    {SDL_CONTROLLER_BUTTON_A, VK_Z},
    {SDL_CONTROLLER_BUTTON_B, VK_X},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, VK_NUMPAD7},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, VK_NUMPAD9},
    {SDL_CONTROLLER_BUTTON_START, VK_SPACE},
    {SDL_CONTROLLER_BUTTON_START, VK_PAUSE},  // the game reads SPACE, the program pauses a mission
    {SDL_CONTROLLER_BUTTON_BACK, VK_ESCAPE},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_NUMPAD8},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_NUMPAD5},
    {SDL_CONTROLLER_BUTTON_Y, VK_F3},
    {SDL_CONTROLLER_BUTTON_X, VK_F2},
};

// An axis past its threshold, one way or the other.
struct AxisKey {
    SDL_GameControllerAxis axis;
    int threshold;  // negative: held below -threshold
    uint8_t code;
};
constexpr AxisKey AXIS_KEYS[] = {
    {SDL_CONTROLLER_AXIS_LEFTY, -STICK_DEAD_ZONE, VK_NUMPAD8},
    {SDL_CONTROLLER_AXIS_LEFTY, STICK_DEAD_ZONE, VK_NUMPAD5},
    {SDL_CONTROLLER_AXIS_LEFTX, -STICK_DEAD_ZONE, VK_NUMPAD4},
    {SDL_CONTROLLER_AXIS_LEFTX, STICK_DEAD_ZONE, VK_NUMPAD6},
    {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, TRIGGER_THRESHOLD, VK_Q},
    {SDL_CONTROLLER_AXIS_TRIGGERLEFT, TRIGGER_THRESHOLD, VK_A},
};

bool pastThreshold(int value, int threshold) { return threshold < 0 ? value < threshold : value > threshold; }

}  // namespace

std::bitset<256> padKeys(const PadState& pad) {
    std::bitset<256> keys;
    for (const ButtonKey& b : BUTTON_KEYS) {
        if (pad.buttons[b.button]) keys.set(b.code);
    }
    for (const AxisKey& a : AXIS_KEYS) {
        if (pastThreshold(pad.axes[a.axis], a.threshold)) keys.set(a.code);
    }
    return keys;
}

Gamepads::~Gamepads() {
    for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
}

bool Gamepads::handleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            open(e.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            close(e.cdevice.which);
            return true;
        case SDL_CONTROLLERAXISMOTION:
            if (auto it = pads_.find(e.caxis.which); it != pads_.end() && e.caxis.axis < SDL_CONTROLLER_AXIS_MAX) {
                it->second.state.axes[e.caxis.axis] = e.caxis.value;
                return true;
            }
            return false;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (auto it = pads_.find(e.cbutton.which);
                it != pads_.end() && e.cbutton.button < SDL_CONTROLLER_BUTTON_MAX) {
                it->second.state.buttons[e.cbutton.button] = e.type == SDL_CONTROLLERBUTTONDOWN;
                return true;
            }
            return false;
        default:
            return false;
    }
}

std::bitset<256> Gamepads::heldKeys() const {
    std::bitset<256> keys;
    for (const auto& [id, pad] : pads_) keys |= padKeys(pad.state);
    return keys;
}

void Gamepads::open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        std::fprintf(stderr, "vantrel: a gamepad cannot be opened: %s\n", SDL_GetError());
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (!pads_.emplace(id, Pad{controller, PadState{}}).second) SDL_GameControllerClose(controller);
}

void Gamepads::close(SDL_JoystickID id) {
    const auto it = pads_.find(id);
    if (it == pads_.end()) return;
    SDL_GameControllerClose(it->second.controller);
    pads_.erase(it);
}

}  // namespace vantrel
