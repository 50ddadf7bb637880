#include "game/demo.h"

#include <algorithm>

#include "game/outcome.h"
#include "world/keys.h"

namespace vantrel {

DemoPilot::DemoPilot(int mission) : mission_(mission) {}

void DemoPilot::snapshot(const World& w, uint8_t out[256]) {
    std::fill(out, out + 256, uint8_t{0});
    if (w.gameMode == MODE_MISSION) {
        missionSeen_ = true;
        ++missionTicks_;
        pilot_.flightKeys(w, PLAYER_SEAT, out);
    } else if (!missionSeen_) {
        menuKeys(w, out);
    }
    std::copy(out, out + 256, previous_);
}

bool DemoPilot::finished(const World& w) const { return missionSeen_ && w.gameMode != MODE_MISSION; }

namespace {

std::string lostHow(LossCause cause) {
    const std::string how = lossName(cause);
    return how.empty() ? "was lost" : "was lost: " + how;
}

}  // namespace

std::string DemoPilot::outcome(const World& w) const {
    if (!missionSeen_) return "demo: situation " + std::to_string(mission_) + " never started";
    const MissionOutcome o = missionOutcome(w, PLAYER_SEAT);
    const char* state = finished(w) ? " flown for " : " still going after ";
    const std::string aircraft = o.result == MissionResult::Failure ? lostHow(o.loss)
                                 : finished(w)                      ? "came home"
                                                                    : "flies on";
    return "demo: situation " + std::to_string(mission_) + state + std::to_string(missionTicks_) +
           " ticks; the demo aircraft " + aircraft + "; " + std::to_string(o.enemiesDowned) + " of " +
           std::to_string(o.enemies) + " enemy aircraft downed";
}

// A press needs the key up in the tick before, so a key the demo presses twice in a row is
// down one tick and up the next.
void DemoPilot::press(uint8_t code, uint8_t out[256]) const {
    if ((previous_[code] & KEY_DOWN_BIT) == 0) out[code] = KEY_DOWN_BIT;
}

void DemoPilot::menuKeys(const World& w, uint8_t out[256]) const {
    if (w.gameMode == MODE_SELECT && w.flowCounter != mission_) {
        press(VK_NUMPAD5, out);
    } else {
        press(VK_SPACE, out);
    }
}

}  // namespace vantrel
