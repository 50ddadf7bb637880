#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/weapons.h"

using namespace vantrel;

namespace {

// An aircraft of the type at the origin (where the camera is), level, heading along +z,
// side 1, aiming at slot 9.
Aircraft& armed(World& w, int type) {
    Aircraft& a = w.aircraft[test::addAircraft(w, 0.0f, 30.0f, 0.0f, 0.0f, type, 1)];
    a.target = 9;
    return a;
}

// The weapon steps of the aircraft update, with the command held for a number of ticks.
void holdFor(World& w, Aircraft& a, uint32_t controls, int ticks) {
    for (int t = 0; t < ticks; ++t) {
        a.controls = controls;
        fireGun(w, a);
        fireLauncher(w, a);
        countDownCooldowns(a);
    }
}

std::vector<Projectile> liveProjectiles(const World& w) {
    std::vector<Projectile> out;
    std::copy_if(std::begin(w.projectiles), std::end(w.projectiles), std::back_inserter(out),
                 [](const Projectile& p) { return p.side != 0; });
    return out;
}

std::vector<float> muzzleXs(const World& w) {
    std::vector<float> xs;
    for (const Projectile& p : liveProjectiles(w)) xs.push_back(std::round(p.x * 10.0f) / 10.0f);
    return xs;
}

}  // namespace

TEST(Weapons, GunBarrelSequences) {
    auto w = test::makeWorld();
    Aircraft& kindOne = armed(*w, 0);
    holdFor(*w, kindOne, CTRL_FIRE_GUN, 9);  // ticks 1, 5 and 9
    EXPECT_EQ(kindOne.gunAmmo, 797);
    EXPECT_EQ(muzzleXs(*w), (std::vector<float>{-0.2f, 0.2f, -0.2f}));
    EXPECT_EQ(test::playedChannels(*w), std::vector<int>(3, SOUND_GUN));
    EXPECT_EQ(test::liveEffects(*w, GunSmoke), 3);
    EXPECT_EQ(test::liveEffects(*w, MuzzleFlash), 3);

    auto w5 = test::makeWorld();
    holdFor(*w5, armed(*w5, 5), CTRL_FIRE_GUN, 10);  // every second tick
    EXPECT_EQ(muzzleXs(*w5), (std::vector<float>{0.3f, 0.1f, -0.1f, -0.3f, 0.3f}));
}

TEST(Weapons, EveryGunKindKeepsItsIntervalMuzzleAndSpread) {
    const struct {
        int type, interval;
        float barrel, y, z, spreadDegrees;
    } kinds[] = {{0, 4, 0.2f, 0.02f, 0.3f, 0.8f}, {2, 6, 0.0f, 0.02f, 0.7f, 1.4f},  {3, 2, 0.4f, -0.02f, 0.5f, 2.0f},
                 {4, 5, 0.3f, 0.02f, 0.5f, 0.6f}, {5, 2, 0.3f, -0.02f, 0.6f, 0.8f}, {6, 3, 0.0f, 0.02f, 0.7f, 1.0f}};
    for (const auto& k : kinds) {
        auto w = test::makeWorld();
        Aircraft& a = armed(*w, k.type);
        holdFor(*w, a, CTRL_FIRE_GUN, 60 * k.interval);
        const std::vector<Projectile> shots = liveProjectiles(*w);
        ASSERT_EQ(shots.size(), 60u) << "type " << k.type;
        float widest = 0.0f;
        for (const Projectile& p : shots) {
            EXPECT_LE(std::fabs(p.x), k.barrel + 1e-6) << "type " << k.type;
            EXPECT_NEAR(p.y, 30.0f + k.y, 1e-5);
            EXPECT_NEAR(p.z, k.z, 1e-6);
            EXPECT_EQ(p.target, 9);
            widest = std::max({widest, std::fabs(p.pitch), std::fabs(p.heading)});
        }
        EXPECT_LE(widest, k.spreadDegrees * DEG + 1e-6) << "type " << k.type;
        EXPECT_GE(widest, (k.spreadDegrees - 0.2f) * DEG) << "type " << k.type;
    }
}

TEST(Weapons, LauncherKindsOneToThree) {
    auto w = test::makeWorld();
    Aircraft& pair = armed(*w, 5);
    holdFor(*w, pair, CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(pair.launcherAmmo, 17);
    EXPECT_EQ(pair.launcherCooldown, 9);
    EXPECT_EQ(muzzleXs(*w), (std::vector<float>{0.5f, -0.5f}));  // right, then left
    EXPECT_EQ(test::playedChannels(*w), std::vector<int>{SOUND_LAUNCH});
    EXPECT_EQ(test::liveEffects(*w, LaunchSmoke), 2);
    holdFor(*w, pair, CTRL_FIRE_LAUNCHER, 10);  // the next pair on the tenth tick
    EXPECT_EQ(liveProjectiles(*w).size(), 4u);

    auto w2 = test::makeWorld();
    Aircraft& single = armed(*w2, 2);
    Aircraft& guided = armed(*w2, 0);
    holdFor(*w2, single, CTRL_FIRE_LAUNCHER, 1);
    holdFor(*w2, guided, CTRL_FIRE_LAUNCHER, 1);
    const std::vector<Projectile> out = liveProjectiles(*w2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].weapon, WEAPON_ROCKET);
    EXPECT_LE(std::fabs(out[0].heading), 0.3 * DEG + 1e-7);
    EXPECT_EQ(out[1].weapon, WEAPON_MISSILE);
    EXPECT_EQ(out[1].target, 9);
    EXPECT_LE(std::fabs(out[1].heading), 0.2 * DEG + 1e-7);
    EXPECT_EQ(guided.launcherCooldown, 19);
}

TEST(Weapons, RearBurstPointsBackwardsFromBehindTheTail) {
    auto w = test::makeWorld();
    Aircraft& a = armed(*w, 3);
    a.pitch = 0.1f;
    holdFor(*w, a, CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(a.launcherAmmo, 79);
    EXPECT_EQ(a.launcherCooldown, 14);
    const std::vector<Projectile> shots = liveProjectiles(*w);
    ASSERT_EQ(shots.size(), 10u);
    for (const Projectile& p : shots) {
        EXPECT_EQ(p.weapon, WEAPON_GUN);
        EXPECT_EQ(p.side, 1);
        EXPECT_NEAR(p.z, -0.7 * std::cos(0.1), 1e-5);
        EXPECT_NEAR(p.y, 30.0 - 0.7 * std::sin(0.1), 1e-5);
        EXPECT_LE(std::fabs(p.heading - PI), 16 * DEG + 1e-6);
        EXPECT_LE(std::fabs(p.pitch + 0.1f), 16 * DEG + 1e-6);
    }
    EXPECT_EQ(test::liveEffects(*w, RearBurstFlash), 1);
    EXPECT_EQ(test::liveEffects(*w, RearBurstSmoke), 1);
    EXPECT_EQ(test::playedChannels(*w), std::vector<int>{SOUND_GUN});
}

TEST(Weapons, FullTableStillSpendsAmmunitionAndEmptyWeaponsStaySilent) {
    auto w = test::makeWorld();
    for (Projectile& p : w->projectiles) p.side = 2;
    Aircraft& a = armed(*w, 0);
    holdFor(*w, a, CTRL_FIRE_GUN | CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(a.gunAmmo, 799);
    EXPECT_EQ(a.launcherAmmo, 7);
    EXPECT_EQ(a.gunCooldown, 3);
    EXPECT_EQ(a.launcherCooldown, 19);

    auto empty = test::makeWorld();
    Aircraft& b = armed(*empty, 0);
    b.gunAmmo = 2;
    b.launcherAmmo = 0;
    holdFor(*empty, b, CTRL_FIRE_GUN | CTRL_FIRE_LAUNCHER, 40);
    EXPECT_EQ(liveProjectiles(*empty).size(), 2u);
    EXPECT_EQ(b.gunAmmo, 0);
}
