// The computer pilot that flies a seat's aircraft (--demo in the game, --pilot in vantrel-sim,
// the players' stand-ins in network tests). It only holds keys, as a player would, so recordings and replays run
// exactly as for a player. It flies a private copy of the World each tick; the copy's random draws and the pilot's own
// memory never reach the real World.
#pragma once

#include <cstdint>
#include <memory>

#include "world/world.h"

namespace vantrel {

class Autopilot {
public:
    Autopilot();

    // Adds this tick's flight keys for the seat's aircraft to out, for the World as it
    // stands before the tick. Keys that act on a press (the launcher) come up for a tick
    // between two presses.
    void flightKeys(const World& w, int seat, uint8_t out[256]);

private:
    // What a computer pilot remembers of its aircraft between ticks.
    struct PilotMemory {
        int16_t target;
        int8_t aiMode;
        uint32_t aiFlags;
        Vec3 lastTargetPos;
    };

    int pilotSlot_ = -1;
    PilotMemory memory_{};
    bool launcherHeld_ = false;
    std::unique_ptr<World> copy_;
};

}  // namespace vantrel
