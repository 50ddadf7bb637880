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

// The player (slot 1) goes down in every way there is; each time the outcome says which.
TEST(Outcome, TheLossIsWhatTookTheLastArmorAndKillsAreTheSeatsOwn) {
    auto w = placedMission();
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).loss, LossCause::None);
    struct Case {
        DamageRecord last;
        LossCause loss;
    };
    const Case cases[] = {
        {{2, DAMAGE_GUN}, LossCause::Gunfire},
        {{2, DAMAGE_ROCKET}, LossCause::Rocket},
        {{4, DAMAGE_MISSILE}, LossCause::Missile},
        {{NO_AIRCRAFT, DAMAGE_GROUND}, LossCause::Crashed},
        {{2, DAMAGE_STALL}, LossCause::Stalled},
        {{3, DAMAGE_COLLISION}, LossCause::CollidedWithEnemy},
        {{0, DAMAGE_COLLISION}, LossCause::CollidedWithFriend},
    };
    w->aircraft[1].side = 0;
    for (const Case& c : cases) {
        w->lastDamage[1] = c.last;
        EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).loss, c.loss) << int(c.last.cause);
    }

    w->aircraft[2].side = w->aircraft[3].side = w->aircraft[4].side = 0;
    w->lastDamage[2] = {1, DAMAGE_STALL};  // a wreck the player's hits left to fall
    w->lastDamage[3] = {0, DAMAGE_GUN};    // the wingman's
    w->lastDamage[4] = {1, DAMAGE_MISSILE};
    const MissionOutcome t = missionOutcome(*w, PLAYER_SEAT);
    EXPECT_EQ(t.enemiesDowned, 3);
    EXPECT_EQ(t.ownKills, 2);
}

// The guarded mark travels in the second byte of a record's aiMode slot.
TEST(Outcome, TheAircraftTheSeatsSideGuardsIsFollowed) {
    auto w = test::makeWorld();
    constexpr int GUARDED = 0x100;
    const std::string path = test::writeTempFile(
        "guarded.au1",
        test::situationBytes(0, 3,
                             {{0, 40, -10, 0, 0, 1, 2}, {2, 40, -10, 0, 5, 1, 1 | GUARDED}, {0, 40, 10, 3, 1, 2, 0}}));
    std::string error;
    ASSERT_TRUE(enterMission(*w, path, error)) << error;
    EXPECT_EQ(w->guardedSlot, 1);
    EXPECT_EQ(w->aircraft[1].aiMode, 1) << "the mark leaves the pilot's kind as it is";
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).guarded, GuardedFate::Flying);
    w->aircraft[1].side = 0;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).guarded, GuardedFate::Lost);

    const std::string unguarded = test::writeTempFile(
        "unguarded.au1", test::situationBytes(0, 2, {{0, 40, -10, 0, 0, 1, 0}, {0, 40, 10, 3, 1, 2, GUARDED}}));
    ASSERT_TRUE(enterMission(*w, unguarded, error)) << error;
    EXPECT_EQ(missionOutcome(*w, PLAYER_SEAT).guarded, GuardedFate::None) << "the other side's is none of ours";
    EXPECT_EQ(missionOutcome(*placedMission(), PLAYER_SEAT).guarded, GuardedFate::None);
}

}  // namespace
}  // namespace vantrel
