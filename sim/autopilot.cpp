#include "sim/autopilot.h"

#include "sim/ai.h"
#include "world/keys.h"

namespace vantrel {

namespace {

struct ControlKey {
    uint32_t bit;
    uint8_t code;
};
constexpr ControlKey CONTROL_KEYS[] = {
    {CTRL_PITCH_DOWN, VK_NUMPAD8}, {CTRL_PITCH_UP, VK_NUMPAD5}, {CTRL_ROLL_LEFT, VK_NUMPAD4},
    {CTRL_ROLL_RIGHT, VK_NUMPAD6}, {CTRL_YAW_LEFT, VK_NUMPAD7}, {CTRL_YAW_RIGHT, VK_NUMPAD9},
    {CTRL_FIRE_GUN, VK_Z},         {CTRL_FIRE_LAUNCHER, VK_X},  {CTRL_THROTTLE_UP, VK_Q},
    {CTRL_THROTTLE_DOWN, VK_A},
};

}  // namespace

Autopilot::Autopilot() : copy_(std::make_unique<World>()) {}

void Autopilot::flightKeys(const World& w, uint8_t out[256]) {
    const int slot = w.playerIndex;
    const bool launcherHeldBefore = launcherHeld_;
    launcherHeld_ = false;
    if (!isAircraftSlot(slot)) return;
    World& copy = *copy_;
    copy = w;
    Aircraft& a = copy.aircraft[slot];
    if (slot == pilotSlot_) {
        a.target = memory_.target;
        a.aiMode = memory_.aiMode;
        a.aiFlags = memory_.aiFlags;
        copy.lastTargetPos[slot] = memory_.lastTargetPos;
    }
    copy.playerIndex = -1;  // every live aircraft to a pilot, the player's too
    updateAiPilots(copy);
    pilotSlot_ = slot;
    memory_ = {a.target, a.aiMode, a.aiFlags, copy.lastTargetPos[slot]};
    for (const ControlKey& c : CONTROL_KEYS) {
        if ((a.controls & c.bit) == 0) continue;
        if (c.code == VK_X) {
            launcherHeld_ = !launcherHeldBefore;
            if (!launcherHeld_) continue;
        }
        out[c.code] = KEY_DOWN_BIT;
    }
}

}  // namespace vantrel
