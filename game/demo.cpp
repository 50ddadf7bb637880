#include "game/demo.h"

#include <algorithm>

#include "world/keys.h"

namespace vantrel {

namespace {

int countEnemies(const World& w, int8_t side) {
    int n = 0;
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        if (isAlive(w, slot) && w.aircraft[slot].side != side) ++n;
    }
    return n;
}

}  // namespace

DemoPilot::DemoPilot(int situation) : situation_(situation) {}

void DemoPilot::snapshot(const World& w, uint8_t out[256]) {
    std::fill(out, out + 256, uint8_t{0});
    if (w.gameMode == MODE_MISSION) {
        noteMission(w);
        pilot_.flightKeys(w, out);
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
           " ticks; the demo aircraft " + (playerAlive_ ? (finished(w) ? "came home" : "flies on") : "was shot down") +
           "; " + std::to_string(enemiesAtStart_ - enemiesLeft_) + " of " + std::to_string(enemiesAtStart_) +
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

}  // namespace vantrel
