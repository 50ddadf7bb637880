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

std::unique_ptr<World> missionWorld(int mission, uint32_t seed) {
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
    return w;
}

bool pilotWins(int mission, uint32_t seed) {
    auto w = missionWorld(mission, seed);
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

// Whether a player who touches no key is still in the air after ticks.
bool flyingStraightOnSurvives(int mission, uint32_t seed, int ticks) {
    auto w = missionWorld(mission, seed);
    const uint8_t noKeys[256] = {};
    for (int t = 0; t < ticks && w->gameMode == MODE_MISSION; ++t) {
        logicTick(*w, "", noKeys);
        clearSoundEvents(w->seats[PLAYER_SEAT].sounds);
    }
    return isAlive(*w, w->seats[PLAYER_SEAT].slot);
}

// A newcomer who has not found the keys yet is not shot down at once: on median over seeds 1-20
// they fly at least 20 seconds (667 ticks) in every mission.
TEST(Difficulty, APlayerFlyingStraightOnLivesTwentySecondsOnMedian) {
    constexpr int TWENTY_SECONDS = 667;
    for (int mission = 1; mission <= MISSION_COUNT; ++mission) {
        int alive = 0;
        for (uint32_t seed = 1; seed <= 20; ++seed) alive += flyingStraightOnSurvives(mission, seed, TWENTY_SECONDS);
        EXPECT_GE(alive, 10) << "mission " << mission;
    }
}

TEST(Difficulty, TheFirstMissionIsEasierThanTheThirdAndTheThirdThanTheLast) {
    const int first = winsOverSeeds(1), third = winsOverSeeds(3), last = winsOverSeeds(MISSION_COUNT);
    EXPECT_GT(first, third);
    EXPECT_GT(third, last);
    EXPECT_GE(first, 6) << "a newcomer's first duel is won most of the time";
}

}  // namespace
}  // namespace vantrel::data::test
