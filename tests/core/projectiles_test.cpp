#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/projectiles.h"

using namespace vantrel;

namespace {

// A projectile of side 1 at (0, 30, 0) over flat ground, heading along +z; its slot.
int launch(World& w, int8_t weapon, int16_t target = -1, float pitch = 0.0f) {
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        if (w.projectiles[i].side != 0) continue;
        spawnProjectile(w, Pose{{0.0f, 30.0f, 0.0f}, pitch, 0.0f, 0.0f}, target, weapon, 1, NO_AIRCRAFT);
        return i;
    }
    return -1;
}

// Effects age before projectiles move, as in the mission tick.
void tick(World& w) {
    ++w.tickCount;
    updateEffects(w);
    updateProjectiles(w);
}

// Ticks until the projectile's slot is free, at most limit; the ticks taken.
int flyOut(World& w, int slot, int limit = 200) {
    int ticks = 0;
    while (w.projectiles[slot].side != 0 && ticks < limit) {
        tick(w);
        ++ticks;
    }
    return ticks;
}

}  // namespace

TEST(Projectiles, TheTwoHundredFortyFirstLaunchIsDropped) {
    auto w = test::makeWorld();
    for (int i = 0; i < MAX_PROJECTILES; ++i) EXPECT_EQ(launch(*w, WEAPON_GUN), i);
    const World before = *w;
    spawnProjectile(*w, Pose{{-5.0f, 1.0f, 1.0f}, 0.1f, 0.2f, 0.3f}, 4, WEAPON_MISSILE, 2, 3);
    EXPECT_EQ(hashWorld(*w), hashWorld(before));
}

TEST(Projectiles, GunShotEndsAfterEightyTicksAndOneHundredTwentyEightUnitsWithoutEffect) {
    auto w = test::makeWorld();
    const int slot = launch(*w, WEAPON_GUN);
    EXPECT_EQ(flyOut(*w, slot), 80);
    EXPECT_NEAR(w->projectiles[slot].z, 128.0, 1e-3);
    EXPECT_TRUE(std::all_of(std::begin(w->effects), std::end(w->effects), [](const Effect& e) { return e.life == 0; }));
}

TEST(Projectiles, GroundEndsTheFlightWithTheImpactOfItsWeapon) {
    const std::pair<int8_t, const EffectRecipe*> cases[] = {
        {WEAPON_GUN, &ShotImpact}, {WEAPON_ROCKET, &RocketImpact}, {WEAPON_MISSILE, &MissileImpact}};
    for (const auto& [weapon, impact] : cases) {
        auto w = test::makeWorld();
        const int slot = launch(*w, weapon, -1, -HALF_PI);
        flyOut(*w, slot);
        const Projectile& p = w->projectiles[slot];
        EXPECT_EQ(p.side, 0);
        EXPECT_LE(p.y, 0.0f);
        EXPECT_GT(p.y, -WEAPON_TYPES[weapon].speed * 0.05 - 1e-4) << "stopped within the half-step";
        EXPECT_EQ(test::liveEffects(*w, *impact), 1) << "weapon " << int(weapon);
    }
}

TEST(Projectiles, EveryEnemyWithinReachIsHitButNeverOwnSide) {
    auto w = test::makeWorld();
    const int enemyA = test::addAircraft(*w, 0.3f, 30.0f, 0.8f, 0.0f, 2, 2);
    const int enemyB = test::addAircraft(*w, -0.3f, 30.0f, 0.8f, 0.0f, 2, 3);
    const int friendly = test::addAircraft(*w, 0.0f, 30.0f, 0.8f, 0.0f, 2, 1);
    const int wreck = test::addAircraft(*w, 0.0f, 30.0f, 0.7f, 0.0f, 2, 2);
    w->aircraft[wreck].side = 0;
    w->seats[PLAYER_SEAT].cameraPos = Vec3{0.0f, 30.0f, 0.8f};
    const int slot = launch(*w, WEAPON_GUN);
    uint32_t draws = w->rngState;
    tick(*w);
    for (int i : {enemyA, enemyB}) {  // in slot order: two jolts, then one chance in three
        const int pitchJolt = nextRandom(draws) % 21 - 10;
        const int headingJolt = nextRandom(draws) % 21 - 10;
        if (nextRandom(draws) % 3 == 1) {
            for (int jitter = 0; jitter < 3; ++jitter) nextRandom(draws);
        }
        EXPECT_EQ(w->aircraft[i].armor, 50 - 8);
        EXPECT_FLOAT_EQ(w->aircraft[i].pitch, static_cast<float>(pitchJolt * 0.2 * DEG));
        EXPECT_FLOAT_EQ(w->aircraft[i].heading, static_cast<float>(headingJolt * 0.2 * DEG));
    }
    EXPECT_EQ(w->rngState, draws);
    EXPECT_EQ(w->aircraft[friendly].armor, 50);
    EXPECT_EQ(w->aircraft[wreck].armor, 50);
    EXPECT_EQ(w->projectiles[slot].side, 0);
    EXPECT_NEAR(w->projectiles[slot].z, 0.8, 1e-6) << "the second half-step is skipped after a hit";
    const std::vector<int> played = test::playedChannels(*w);
    EXPECT_EQ(std::count(played.begin(), played.end(), SOUND_HIT), 2);
    EXPECT_EQ(test::liveEffects(*w, ShotImpact), 1);
}

TEST(Projectiles, MissileTurnsOneStepAboutEachAxisAndHomesIn) {
    auto w = test::makeWorld();
    const int target = test::addAircraft(*w, 30.0f, 36.0f, 80.0f, 0.0f, 3, 2);
    const int slot = launch(*w, WEAPON_MISSILE, static_cast<int16_t>(target));
    tick(*w);
    const Projectile& p = w->projectiles[slot];
    EXPECT_NEAR(p.heading, MISSILE_TURN_STEP, 1e-7);
    EXPECT_NEAR(p.pitch, MISSILE_TURN_STEP, 1e-7);
    EXPECT_NEAR(p.x, 0.0, 1e-7) << "the turn takes effect on the next tick";
    EXPECT_NEAR(p.z, 0.9, 1e-6);
    EXPECT_EQ(test::liveEffects(*w, MissileSmoke), 1);
    EXPECT_EQ(test::liveEffects(*w, MissileFlame), 1);
    EXPECT_LT(flyOut(*w, slot), 149);
    EXPECT_EQ(w->aircraft[target].armor, 120 - 35);
    EXPECT_EQ(test::liveEffects(*w, MissileImpact), 1);
}

TEST(Projectiles, MissileWithoutAValidTargetFliesStraightAndStillBurns) {
    for (int16_t target : {int16_t{-1}, int16_t{30}, int16_t{-7}, int16_t{1000}}) {
        auto w = test::makeWorld();
        const int slot = launch(*w, WEAPON_MISSILE, target);
        tick(*w);
        tick(*w);
        EXPECT_EQ(w->projectiles[slot].heading, 0.0f) << "target " << target;
        EXPECT_EQ(w->projectiles[slot].pitch, 0.0f);
        EXPECT_EQ(test::liveEffects(*w, MissileFlame), 1);
    }
}

TEST(Projectiles, RocketSmokesOnlyEveryThirdTick) {
    auto w = test::makeWorld();
    launch(*w, WEAPON_ROCKET);
    std::vector<int> puffs;
    for (int t = 1; t <= 6; ++t) {
        tick(*w);
        puffs.push_back(test::liveEffects(*w, RocketSmoke));
    }
    EXPECT_EQ(puffs, (std::vector<int>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(test::liveEffects(*w, MissileFlame), 0);
}
