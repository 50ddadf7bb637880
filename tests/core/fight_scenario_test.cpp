#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "app/flow.h"
#include "fixtures.h"
#include "sound/sound.h"
#include "world/situation.h"

using namespace vantrel;

namespace {

// A mission entered from a hand-made situation file, run through the real tick and flow.
class FightScenario : public ::testing::Test {
protected:
    void start(const char* name, int playerRecord, const std::vector<test::FileRecord>& records) {
        const std::string path = test::writeTempFile(
            name, test::situationBytes(playerRecord, static_cast<int>(records.size()), records));
        std::string error;
        ASSERT_TRUE(startSituation(*w, sound, path, error)) << error;
        w->gameMode = MODE_MISSION;
        w->flowCounter = 0;
    }

    void tick(std::initializer_list<int> keys) {
        uint8_t snapshot[256] = {};
        for (int k : keys) snapshot[k] = KEY_DOWN_BIT;
        logicTick(*w, sound, "", snapshot);
    }

    std::unique_ptr<World> w = test::makeWorld();
    const Sound sound{};
};

int countProjectiles(const World& w, int weapon, int side) {
    return static_cast<int>(std::count_if(std::begin(w.projectiles), std::end(w.projectiles),
                                          [&](const Projectile& p) { return p.side == side && p.weapon == weapon; }));
}

}  // namespace

// The enemy (record 0, slot 0) flies ahead, a little right of and above the player's nose
// (record 1); the player holds the gun and presses the launcher once.
TEST_F(FightScenario, GunAndMissileWearDownTheEnemy) {
    start("fight_duel.au1", 1,
          {{0.375f, 20.5f, 3.5f, 0.0f, 3, 2, 0},  // x and z at quarter scale: (1.5, 20.5, 14)
           {0.0f, 20.0f, 0.0f, 0.0f, 0, 1, 0}});
    ASSERT_EQ(w->playerIndex, 1);
    const int enemy = 0;
    const int16_t startArmor = w->aircraft[enemy].armor;

    int shotsSeen = 0;
    std::vector<float> missileHeadings;
    for (int t = 1; t <= 60; ++t) {
        if (t == 2) {
            tick({VK_Z, VK_X});
        } else {
            tick({VK_Z});
        }
        shotsSeen = std::max(shotsSeen, countProjectiles(*w, WEAPON_GUN, 1));
        for (const Projectile& p : w->projectiles) {
            if (p.side != 1 || p.weapon != WEAPON_MISSILE) continue;
            missileHeadings.push_back(p.heading);
        }
    }
    EXPECT_GT(shotsSeen, 3);
    ASSERT_GE(missileHeadings.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_NEAR(missileHeadings[i] - missileHeadings[i - 1], 1.4 * DEG, 1e-5)
            << "turns toward the enemy on the right";
    }
    EXPECT_EQ(countProjectiles(*w, WEAPON_MISSILE, 1), 0) << "the missile has ended";
    EXPECT_LE(w->aircraft[enemy].armor, startArmor - 35);
    EXPECT_EQ(w->aircraft[1].launcherAmmo, 7) << "one launch for one press";
}

TEST_F(FightScenario, DiveIntoTheGroundEndsTheMission) {
    start("fight_dive.au1", 0,
          {{0.0f, 6.0f, 0.0f, 0.0f, 0, 1, 0},  // the player
           {50.0f, 30.0f, 50.0f, 0.0f, 2, 2, 0}});
    int destroyedAt = 0;
    for (int t = 1; t <= 200 && destroyedAt == 0; ++t) {
        tick({VK_NUMPAD8});
        if (w->aircraft[0].side == 0) destroyedAt = t;
    }
    ASSERT_GT(destroyedAt, 0);
    EXPECT_LT(w->aircraft[0].armor, 1);
    EXPECT_EQ(w->flowCounter, END_COUNTDOWN_TICKS);
    EXPECT_EQ(w->gameMode, MODE_MISSION);
    for (int t = 1; t < END_COUNTDOWN_TICKS; ++t) tick({});
    EXPECT_EQ(w->gameMode, MODE_MISSION);
    tick({});
    EXPECT_EQ(w->gameMode, MODE_TITLE);
}
