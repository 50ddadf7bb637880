// --demo N: the game plays itself. The demo is a key source like a key script: it presses
// the menu keys to start situation N, then holds the keys a computer pilot would fly the
// player's aircraft with, so the simulation, recordings and replays run exactly as for a
// player. The pilot flies a private copy of the World each tick; the copy's random draws
// and the pilot's own memory never reach the real World.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "world/world.h"

namespace vantrel {

class DemoPilot {
public:
    explicit DemoPilot(int situation);

    // This tick's keys for the World as it stands before the tick.
    void snapshot(const World& w, uint8_t out[256]);

    // The mission was flown and the game is back on the title screen.
    bool finished(const World& w) const;

    // One line on how the mission went so far, e.g. for a player with no display.
    std::string outcome(const World& w) const;

private:
    // What a computer pilot remembers of its aircraft between ticks.
    struct PilotMemory {
        int16_t target;
        int8_t aiMode;
        uint32_t aiFlags;
        Vec3 lastTargetPos;
    };

    void menuKeys(const World& w, uint8_t out[256]) const;
    void flightKeys(const World& w, uint8_t out[256]);
    void press(uint8_t code, uint8_t out[256]) const;

    void noteMission(const World& w);

    int situation_;
    bool missionSeen_ = false;
    int missionTicks_ = 0;
    int8_t playerSide_ = 0;  // the side the player's aircraft flew for at the start
    bool playerAlive_ = false;
    int enemiesAtStart_ = 0, enemiesLeft_ = 0;
    int pilotSlot_ = -1;
    PilotMemory memory_{};
    std::unique_ptr<World> copy_;
    uint8_t previous_[256] = {};
};

}  // namespace vantrel
