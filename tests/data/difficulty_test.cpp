// The missions get harder in order: flown by the computer pilot of --demo over a few seeds,
// the first is won more often than the third and the third more often than the last.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "game/flow.h"
#include "sim/autopilot.h"
#include "tools/vantrel-data/landscape.h"
#include "tools/vantrel-data/missions.h"
#include "world/situation.h"

namespace vantrel::data::test {
namespace {

constexpr int TICK_LIMIT = 20000;  // ten minutes of play

bool pilotWins(int mission, uint32_t seed) {
    auto w = std::make_unique<World>();
    const HeightGrid grid = makeHeightGrid();
    std::copy(grid.begin(), grid.end(), w->heightmap);
    seedRandom(w->rngState, seed);
    const auto bytes = missionFile(mission);
    Situation s;
    std::string error;
    EXPECT_TRUE(parseSituation(bytes.data(), bytes.size(), s, error)) << error;
    resetMission(*w);
    placeSituation(*w, s);
    w->gameMode = MODE_MISSION;
    w->flowCounter = 0;
    Autopilot pilot;
    for (int t = 0; t < TICK_LIMIT && w->gameMode == MODE_MISSION; ++t) {
        uint8_t keys[256] = {};
        pilot.flightKeys(*w, PLAYER_SEAT, keys);
        logicTick(*w, "", keys);
        clearSoundEvents(w->seats[PLAYER_SEAT].sounds);
    }
    return w->gameMode != MODE_MISSION && isAlive(*w, w->seats[PLAYER_SEAT].slot);
}

int winsOverSeeds(int mission) {
    int wins = 0;
    for (uint32_t seed = 1; seed <= 8; ++seed) wins += pilotWins(mission, seed);
    return wins;
}

TEST(Difficulty, TheFirstMissionIsEasierThanTheThirdAndTheThirdThanTheLast) {
    const int first = winsOverSeeds(1), third = winsOverSeeds(3), last = winsOverSeeds(MISSION_COUNT);
    EXPECT_GT(first, third);
    EXPECT_GT(third, last);
    EXPECT_GE(first, 6) << "a newcomer's first duel is won most of the time";
}

}  // namespace
}  // namespace vantrel::data::test
