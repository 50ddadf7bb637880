#include "net/lockstep.h"

#include <cstring>

namespace vantrel::net {

void runLockstepTick(World& w, const Tick& tick) {
    for (const RosterChange& c : tick.roster) {
        if (c.slot == NO_SLOT) {
            releaseSeat(w, c.seat);
        } else {
            seatHuman(w, c.seat, c.slot);
        }
    }
    clearSoundEvents(w.sounds);
    matchTick(w, tick.keys);
}

void MatchRecording::append(const Tick& t) {
    flying_.push_back(t.flying);
    for (int seat = 0; seat < MAX_SEATS; ++seat)
        if (t.flying & (1u << seat)) keys_.push_back(t.keys[seat]);
    for (const RosterChange& c : t.roster) changes_.push_back({t.tick, c});
}

MatchSetup matchSetupOf(const Start& start) {
    MatchSetup setup;
    setup.situation = start.mission;
    setup.seed = start.seed;
    std::memcpy(setup.seatSlot, start.seatSlot, sizeof setup.seatSlot);
    return setup;
}

bool replayRecording(World& w, const std::string& dataDir, const MatchRecording& recording, uint32_t tick,
                     std::string& error) {
    if (!startMatch(w, dataDir, matchSetupOf(recording.start()), error)) return false;
    recording.forEachTick([&](const Tick& t) {
        if (t.tick <= tick) runLockstepTick(w, t);
    });
    return true;
}

}  // namespace vantrel::net
