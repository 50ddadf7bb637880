#include "app/demo.h"

#include <algorithm>

#include "sim/ai.h"
#include "world/keys.h"

namespace vantrel {

namespace {

struct ControlKey {
    uint32_t bit;
    uint8_t code;
};
constexpr ControlKey CONTROL_KEYS[] = {
    {CTRL_PITCH_DOWN, VK_NUMPAD8}, {CTRL_PITCH_UP, VK_NUMPAD5},    {CTRL_ROLL_LEFT, VK_NUMPAD4},
    {CTRL_ROLL_RIGHT, VK_NUMPAD6}, {CTRL_YAW_LEFT, VK_NUMPAD7},    {CTRL_YAW_RIGHT, VK_NUMPAD9},
    {CTRL_FIRE_GUN, VK_Z},         {CTRL_FIRE_LAUNCHER, VK_X},     {CTRL_THROTTLE_UP, VK_Q},
    {CTRL_THROTTLE_DOWN, VK_A},
};

bool isAircraftSlot(int slot) { return slot >= 0 && slot < MAX_AIRCRAFT; }

int countEnemies(const World& w, int8_t side) {
    int n = 0;
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        if (isAlive(w, slot) && w.aircraft[slot].side != side) ++n;
    }
    return n;
}

}  // namespace

DemoPilot::DemoPilot(int situation) : situation_(situation), copy_(std::make_unique<World>()) {}

void DemoPilot::snapshot(const World& w, uint8_t out[256]) {
    std::fill(out, out + 256, uint8_t{0});
    if (w.gameMode == MODE_MISSION) {
        noteMission(w);
        flightKeys(w, out);
    } else if (!missionSeen_) {
        menuKeys(w, out);
    }
    std::copy(out, out + 256, previous_);
}

bool DemoPilot::finished(const World& w) const { return missionSeen_ && w.gameMode != MODE_MISSION; }

std::string DemoPilot::outcome(const World& w) const {
    if (!missionSeen_) return "demo: situation " + std::to_string(situation_) + " never started";
    const char* state = finished(w) ? " flown for " : " still going after ";
    return "demo: situation " + std::to_string(situation_) + state + std::to_string(missionTicks_) +
           " ticks; the demo aircraft " + (playerAlive_ ? (finished(w) ? "came home" : "flies on") : "was shot down") + "; " +
           std::to_string(enemiesAtStart_ - enemiesLeft_) + " of " + std::to_string(enemiesAtStart_) +
           " enemy aircraft downed";
}

void DemoPilot::noteMission(const World& w) {
    const bool first = !missionSeen_;
    missionSeen_ = true;
    ++missionTicks_;
    if (first) {
        playerSide_ = isAircraftSlot(w.playerIndex) ? w.aircraft[w.playerIndex].side : 0;
        enemiesAtStart_ = countEnemies(w, playerSide_);
    }
    playerAlive_ = isAircraftSlot(w.playerIndex) && w.aircraft[w.playerIndex].side == playerSide_;
    enemiesLeft_ = countEnemies(w, playerSide_);
}

// A press needs the key up in the tick before, so a key the demo presses twice in a row is
// down one tick and up the next.
void DemoPilot::press(uint8_t code, uint8_t out[256]) const {
    if ((previous_[code] & KEY_DOWN_BIT) == 0) out[code] = KEY_DOWN_BIT;
}

void DemoPilot::menuKeys(const World& w, uint8_t out[256]) const {
    if (w.gameMode == MODE_SELECT && w.flowCounter != situation_) {
        press(VK_NUMPAD5, out);
    } else {
        press(VK_SPACE, out);
    }
}

void DemoPilot::flightKeys(const World& w, uint8_t out[256]) {
    const int slot = w.playerIndex;
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
            press(c.code, out);
        } else {
            out[c.code] = KEY_DOWN_BIT;
        }
    }
}

}  // namespace vantrel
