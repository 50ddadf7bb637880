// Feeds arbitrary bytes to the situation reader. A file it accepts is placed into a fresh world
// and flown for a few mission ticks, so damaged positions, headings and pilot kinds reach the
// flight, targeting and terrain code: nothing may read outside a table or convert NaN to an index.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "game/flow.h"
#include "world/situation.h"

namespace {

constexpr int TICKS_FLOWN = 4;

// Every later step indexes the aircraft table with the player's seat slot, whatever the file said.
void requirePlayerSlot(const vantrel::World& w) {
    if (w.seats[vantrel::PLAYER_SEAT].slot < 0 || w.seats[vantrel::PLAYER_SEAT].slot >= vantrel::MAX_AIRCRAFT)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantrel::Situation situation;
    std::string error;
    if (!vantrel::parseSituation(data, size, situation, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    static const auto pristine = std::make_unique<vantrel::World>();
    static const auto w = std::make_unique<vantrel::World>();
    *w = *pristine;
    vantrel::seedRandom(w->rngState, 1);
    vantrel::resetMission(*w);
    vantrel::placeSituation(*w, situation);
    requirePlayerSlot(*w);
    w->gameMode = vantrel::MODE_MISSION;
    for (int tick = 0; tick < TICKS_FLOWN; ++tick) {
        ++w->tickCount;
        vantrel::runMissionSteps(*w);
        vantrel::clearSoundEvents(w->seats[vantrel::PLAYER_SEAT].sounds);
    }
    return 0;
}
