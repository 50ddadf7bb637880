#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/projectiles.h"
#include "sound/sound.h"

using namespace vantrel;

namespace {

const Sound silent{};

// A projectile of side 1 at height 30 over flat ground, flying along +z.
Projectile& launch(World& w, int8_t weapon, int16_t target = -1, float pitch = 0.0f, float z = 0.0f) {
    spawnProjectile(w, 0.0f, 30.0f, z, pitch, 0.0f, 0.0f, target, weapon, 1);
    for (int i = MAX_PROJECTILES - 1; i >= 0; --i)
        if (w.projectiles[i].side != 0) return w.projectiles[i];
    throw std::runtime_error("no projectile was launched");
}

// Effects age before projectiles move, as in the mission tick.
void tick(World& w, const Sound& s = silent) {
    ++w.tickCount;
    updateEffects(w);
    updateProjectiles(w, s);
}

int liveEffectCount(const World& w) {
    int n = 0;
    for (const Effect& e : w.effects) n += e.life != 0;
    return n;
}

}  // namespace

TEST(Projectiles, TheTwoHundredFortyFirstLaunchIsDropped) {
    auto w = test::makeWorld();
    for (int i = 0; i < MAX_PROJECTILES; ++i) {
        spawnProjectile(*w, static_cast<float>(i), 30.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1, WEAPON_GUN, 1);
    }
    const World before = *w;
    spawnProjectile(*w, -5.0f, 1.0f, 1.0f, 0.1f, 0.2f, 0.3f, 4, WEAPON_MISSILE, 2);
    EXPECT_EQ(hashWorld(*w), hashWorld(before));
    w->projectiles[17].side = 0;
    spawnProjectile(*w, -5.0f, 1.0f, 1.0f, 0.1f, 0.2f, 0.3f, 4, WEAPON_MISSILE, 2);
    EXPECT_EQ(w->projectiles[17].x, -5.0f);
    EXPECT_EQ(w->projectiles[17].life, 150);
    EXPECT_EQ(w->projectiles[17].target, 4);
}

TEST(Projectiles, GunShotExpiresAfterEightyTicksAndOneHundredTwentyEightUnitsWithoutEffect) {
    auto w = test::makeWorld();
    Projectile& p = launch(*w, WEAPON_GUN);
    for (int t = 0; t < 79; ++t) tick(*w);
    ASSERT_EQ(p.side, 1);
    EXPECT_EQ(p.life, 1);
    tick(*w);
    EXPECT_EQ(p.side, 0);
    EXPECT_NEAR(p.z, 128.0, 1e-3);
    EXPECT_EQ(liveEffectCount(*w), 0);
}

TEST(Projectiles, GroundEndsTheFlightWithTheImpactOfItsWeapon) {
    const struct {
        int8_t weapon;
        const EffectRecipe& impact;
    } cases[] = {{WEAPON_GUN, ShotImpact}, {WEAPON_ROCKET, RocketImpact}, {WEAPON_MISSILE, MissileImpact}};
    for (const auto& c : cases) {
        auto w = test::makeWorld();
        Projectile& p = launch(*w, c.weapon, -1, -HALF_PI);  // straight down from 30
        int ticks = 0;
        while (p.side != 0 && ticks < 100) {
            tick(*w);
            ++ticks;
        }
        EXPECT_EQ(p.side, 0);
        EXPECT_LE(p.y, 0.0f);
        EXPECT_GT(p.y, -WEAPON_TYPES[c.weapon].speed * 0.05 - 1e-4) << "stopped at the half-step";
        EXPECT_EQ(test::liveEffects(*w, c.impact), 1) << "weapon " << int(c.weapon);
    }
}

TEST(Projectiles, EveryEnemyWithinReachIsHitButNeverOwnSide) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    const int enemyA = test::addAircraft(*w, 0.3f, 30.0f, 0.8f, 0.0f, 2, 2);
    const int enemyB = test::addAircraft(*w, -0.3f, 30.0f, 0.8f, 0.0f, 2, 3);
    const int friendly = test::addAircraft(*w, 0.0f, 30.0f, 0.8f, 0.0f, 2, 1);
    w->aircraft[test::addAircraft(*w, 0.0f, 30.0f, 0.7f, 0.0f, 2, 2)].side = 0;  // a wreck
    w->cameraPos = Vec3{0.0f, 30.0f, 0.8f};
    Projectile& p = launch(*w, WEAPON_GUN);
    tick(*w, sound);
    EXPECT_EQ(w->aircraft[enemyA].armor, 50 - 8);
    EXPECT_EQ(w->aircraft[enemyB].armor, 50 - 8);
    EXPECT_EQ(w->aircraft[friendly].armor, 50);
    EXPECT_EQ(w->aircraft[3].armor, 50);
    EXPECT_EQ(p.side, 0);
    EXPECT_NEAR(p.z, 0.8, 1e-6) << "the second half-step is skipped after a hit";
    for (int i : {enemyA, enemyB}) {
        EXPECT_LE(std::fabs(w->aircraft[i].pitch), 2 * DEG + 1e-7);
        EXPECT_LE(std::fabs(w->aircraft[i].heading), 2 * DEG + 1e-7);
    }
    EXPECT_EQ(std::count(test::playedChannels.begin(), test::playedChannels.end(), SOUND_HIT), 2);
    EXPECT_EQ(test::liveEffects(*w, ShotImpact), 1);
}

TEST(Projectiles, HitsAddAnExplosionAboutOnceInThree) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    const int victim = test::addAircraft(*w, 0.0f, 30.0f, 0.8f, 0.0f, 3, 2);
    w->cameraPos = Vec3{0.0f, 30.0f, 0.8f};
    int explosions = 0;
    constexpr int HITS = 300;
    for (int n = 0; n < HITS; ++n) {
        Aircraft& a = w->aircraft[victim];
        a.x = 0.0f;
        a.y = 30.0f;
        a.z = 0.8f;
        a.armor = 120;
        launch(*w, WEAPON_ROCKET, -1, 0.0f, 0.2f);
        const int before = test::liveEffects(*w, HitExplosion);
        tick(*w, sound);
        EXPECT_EQ(a.armor, 120 - 24);
        explosions += test::liveEffects(*w, HitExplosion) - before > 0;
        for (Effect& e : w->effects) e.life = 0;
    }
    EXPECT_GT(explosions, HITS / 5);
    EXPECT_LT(explosions, HITS / 2);
    EXPECT_EQ(std::count(test::playedChannels.begin(), test::playedChannels.end(), SOUND_BLAST), HITS + explosions);
}

TEST(Projectiles, MissileTurnsOneAndFourTenthsDegreesTowardItsTarget) {
    auto w = test::makeWorld();
    const int target = test::addAircraft(*w, 20.0f, 40.0f, 20.0f, 0.0f, 0, 2);
    Projectile& p = launch(*w, WEAPON_MISSILE, static_cast<int16_t>(target));
    tick(*w);
    EXPECT_NEAR(p.heading, 0.0244346, 1e-7);
    EXPECT_NEAR(p.pitch, 0.0244346, 1e-7);
    // The turn takes effect on the next tick: this tick's movement is straight along +z.
    EXPECT_NEAR(p.x, 0.0, 1e-7);
    EXPECT_NEAR(p.z, 0.9, 1e-6);
}

TEST(Projectiles, MissileHomesOntoAnAircraftOffItsLine) {
    auto w = test::makeWorld();
    const int target = test::addAircraft(*w, 30.0f, 36.0f, 80.0f, 0.0f, 3, 2);
    Projectile& p = launch(*w, WEAPON_MISSILE, static_cast<int16_t>(target));
    int ticks = 0;
    while (p.side != 0 && ticks < 150) {
        tick(*w);
        ++ticks;
    }
    EXPECT_LT(ticks, 150);
    EXPECT_EQ(w->aircraft[target].armor, 120 - 35);
    EXPECT_EQ(test::liveEffects(*w, MissileImpact), 1);
}

TEST(Projectiles, MissileWithoutAValidTargetFliesStraightAndStillBurns) {
    for (int16_t target : {int16_t{-1}, int16_t{30}, int16_t{-7}, int16_t{1000}}) {
        auto w = test::makeWorld();
        Projectile& p = launch(*w, WEAPON_MISSILE, target);
        tick(*w);  // tick 1: smoke and flame
        EXPECT_EQ(test::liveEffects(*w, MissileSmoke), 1);
        EXPECT_EQ(test::liveEffects(*w, MissileFlame), 1);
        EXPECT_NEAR(w->effects[1].z, 0.0 - 0.01 * 0.9, 1e-7);
        tick(*w);  // tick 2: last tick's flame is gone, a new one burns
        EXPECT_EQ(test::liveEffects(*w, MissileSmoke), 1);
        EXPECT_EQ(test::liveEffects(*w, MissileFlame), 1);
        EXPECT_EQ(p.heading, 0.0f) << "target " << target;
        EXPECT_EQ(p.pitch, 0.0f);
        EXPECT_EQ(p.target, target);
    }
}

TEST(Projectiles, RocketSmokesEveryThirdTick) {
    auto w = test::makeWorld();
    launch(*w, WEAPON_ROCKET);
    int puffs[6] = {};
    for (int t = 0; t < 6; ++t) {
        tick(*w);
        puffs[t] = test::liveEffects(*w, RocketSmoke);
    }
    const int expected[6] = {1, 1, 1, 2, 2, 2};
    for (int t = 0; t < 6; ++t) EXPECT_EQ(puffs[t], expected[t]) << "tick " << t + 1;
    EXPECT_EQ(test::liveEffects(*w, MissileFlame), 0);
}

TEST(Projectiles, FlightFarBeyondTheMapKeepsAskingTheGround) {
    auto w = test::makeWorld();
    spawnProjectile(*w, 5000.0f, 30.0f, -5000.0f, -0.5f, 0.0f, 0.0f, -1, WEAPON_GUN, 1);
    int ticks = 0;
    while (w->projectiles[0].side != 0 && ticks < 100) {
        tick(*w);
        ++ticks;
    }
    EXPECT_LT(ticks, 80) << "the edge plane of the flat grid still stops it";
    EXPECT_EQ(test::liveEffects(*w, ShotImpact), 1);
}
