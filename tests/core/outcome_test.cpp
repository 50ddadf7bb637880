#include "game/outcome.h"

#include <gtest/gtest.h>

#include "fixtures.h"
#include "game/flow.h"
#include "world/situation.h"

namespace vantrel {
namespace {

// The player (side 1) with a wingman, against two enemies of side 2 and one of side 3.
std::unique_ptr<World> placedMission() {
    auto w = test::makeWorld();
    Situation s;
    s.playerRecord = 1;
    s.records = {{0, 40, -10, 0, 0, 1, 0},
                 {2, 40, -10, 0, 0, 1, 0},
                 {0, 40, 10, 3, 1, 2, 0},
                 {4, 40, 10, 3, 1, 2, 0},
                 {8, 40, 10, 3, 1, 3, 0}};
    resetMission(*w);
    placeSituation(*w, s);
    w->gameMode = MODE_MISSION;
    return w;
}

TEST(Outcome, CountsLossesByTheSideEachAircraftWasPlacedOn) {
    auto w = placedMission();
    MissionOutcome t = missionOutcome(*w, PLAYER_SEAT);
    EXPECT_EQ(t.enemies, 3) << "every other side counts as the enemy";
    EXPECT_EQ(t.enemiesDowned, 0);
    EXPECT_EQ(t.friendsLost, 0);
    w->aircraft[0].side = 0;  // the wingman
    w->aircraft[3].side = 0;  // an enemy
    t = missionOutcome(*w, PLAYER_SEAT);
    EXPECT_EQ(t.friendsLost, 1);
    EXPECT_EQ(t.enemiesDowned, 1);
    w->aircraft[1].side = 0;  // the player is not a friend lost
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).friendsLost, 1);
}

TEST(Outcome, TheResultFollowsTheCountdownThePlayersAircraftAndEsc) {
    auto w = placedMission();
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).result, MissionResult::Running);
    w->flowCounter = END_COUNTDOWN_TICKS;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).result, MissionResult::Complete);
    w->aircraft[1].side = 0;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).result, MissionResult::Failure);
    w->gameMode = MODE_TITLE;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).result, MissionResult::Failure)
        << "the title still shows how the last one ended";
    w->seats[PLAYER_SEAT].input.keys[VK_ESCAPE] = KEY_DOWN_BIT;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).result, MissionResult::Abandoned);
    EXPECT_STREQ(resultName(MissionResult::Abandoned), "abandoned");
}

TEST(Outcome, MissionTimeStopsWhenTheOutcomeIsDecided) {
    auto w = placedMission();
    w->tickCount = 61;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).missionTicks, 61);
    for (int tick = 0; tick < 30; ++tick) {
        w->flowCounter = END_COUNTDOWN_TICKS - tick;
        w->tickCount = 61 + tick;
        EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).missionTicks, 61) << tick << " ticks into the countdown";
    }
}

TEST(Outcome, ANewMissionForgetsTheSidesOfTheLastOne) {
    auto w = placedMission();
    Situation duel;
    duel.records = {{0, 40, -10, 0, 0, 1, 0}, {0, 40, 10, 3, 1, 2, 0}};
    resetMission(*w);
    placeSituation(*w, duel);
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).enemies, 1);
    EXPECT_EQ(w->placedSide[4], 0);
}

}  // namespace
}  // namespace vantrel
