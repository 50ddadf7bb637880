#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "fight_fixtures.h"
#include "game/flow.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

using FightScenario = test::HandMadeMission;

}  // namespace

// The enemy (record 0, slot 0) flies a little right of and above the player's nose (record 1);
// the player holds Z throughout and presses X once.
TEST_F(FightScenario, GunAndMissileWearDownTheEnemy) {
    start("fight_duel.au1", 1,
          {{0.375f, 20.5f, 3.5f, 0.0f, 3, 2, 0},  // x and z at quarter scale: (1.5, 20.5, 14)
           {0.0f, 20.0f, 0.0f, 0.0f, 0, 1, 0}});
    ASSERT_EQ(w->seats[PLAYER_SEAT].slot, 1);
    int shots = 0;
    std::vector<float> missileHeadings;
    for (int t = 1; t <= 60; ++t) {
        if (t == 2) {
            tick({VK_Z, VK_X});
        } else {
            tick({VK_Z});
        }
        for (const Projectile& p : w->projectiles) {
            if (p.side == 1 && p.weapon == WEAPON_GUN) ++shots;
            if (p.side == 1 && p.weapon == WEAPON_MISSILE) missileHeadings.push_back(p.heading);
        }
    }
    EXPECT_GT(shots, 3);
    ASSERT_GE(missileHeadings.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_NEAR(missileHeadings[i] - missileHeadings[i - 1], 1.4 * DEG, 1e-5) << "turns right, toward the enemy";
    }
    EXPECT_LT(missileHeadings.size(), 60u) << "the missile has ended";
    EXPECT_LE(w->aircraft[0].armor, 120 - 35);
    EXPECT_EQ(w->aircraft[1].launcherAmmo, 7) << "one launch for one press";
}

TEST_F(FightScenario, DiveIntoTheGroundEndsTheMission) {
    start("fight_dive.au1", 0, {{0.0f, 6.0f, 0.0f, 0.0f, 0, 1, 0}, {50.0f, 30.0f, 50.0f, 0.0f, 2, 2, 0}});
    int ticks = 0;
    while (w->aircraft[0].side != 0 && ticks < 200) {
        tick({VK_NUMPAD8});
        ++ticks;
    }
    ASSERT_EQ(w->aircraft[0].side, 0);
    EXPECT_EQ(w->flowCounter, END_COUNTDOWN_TICKS);
    for (int t = 1; t < END_COUNTDOWN_TICKS; ++t) tick({});
    EXPECT_EQ(w->gameMode, MODE_MISSION);
    tick({});
    EXPECT_EQ(w->gameMode, MODE_TITLE);
}
