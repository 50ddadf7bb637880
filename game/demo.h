// --demo N: the game plays itself. The demo is a key source like a key script: it presses
// the menu keys to start mission N, then the computer pilot holds the keys that fly the
// player's aircraft, so the simulation, recordings and replays run exactly as for a player.
#pragma once

#include <cstdint>
#include <string>

#include "sim/autopilot.h"
#include "world/world.h"

namespace vantrel {

class DemoPilot {
public:
    explicit DemoPilot(int mission);

    // This tick's keys for the World as it stands before the tick.
    void snapshot(const World& w, uint8_t out[256]);

    // The mission was flown and the game is back on the title screen.
    bool finished(const World& w) const;

    // One line on how the mission went so far, e.g. for a player with no display.
    std::string outcome(const World& w) const;

private:
    void menuKeys(const World& w, uint8_t out[256]) const;
    void press(uint8_t code, uint8_t out[256]) const;

    int mission_;
    bool missionSeen_ = false;
    int missionTicks_ = 0;  // ticks run in the mission so far
    Autopilot pilot_;
    uint8_t previous_[256] = {};
};

}  // namespace vantrel
