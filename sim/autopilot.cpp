#include "sim/autopilot.h"

#include "sim/ai.h"
#include "sim/controls.h"
#include "world/keys.h"

namespace vantrel {

Autopilot::Autopilot() : copy_(std::make_unique<World>()) {}

void Autopilot::flightKeys(const World& w, int seat, uint8_t out[256]) {
    const int slot = w.seats[seat].slot;
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
    copy.seats[seat].slot = -1;  // the seat's aircraft to a pilot as well
    updateAiPilots(copy);
    pilotSlot_ = slot;
    memory_ = {a.target, a.aiMode, a.aiFlags, copy.lastTargetPos[slot]};
    for (const ControlKey& c : CONTROL_KEYS) {
        if ((a.controls & c.bit) == 0) continue;
        if (!c.held) {
            launcherHeld_ = !launcherHeldBefore;
            if (!launcherHeld_) continue;
        }
        out[c.key] = KEY_DOWN_BIT;
    }
}

}  // namespace vantrel
