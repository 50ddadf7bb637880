#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/weapons.h"
#include "sound/sound.h"

using namespace vantrel;

namespace {


// One aircraft of the type at the origin, level, heading along +z, side 1, aiming at slot 9.
Aircraft& armed(World& w, int type) {
    Aircraft& a = w.aircraft[test::addAircraft(w, 0.0f, 30.0f, 0.0f, 0.0f, type, 1)];
    a.target = 9;
    return a;
}

// The weapon steps of the aircraft update for a number of ticks.
void holdFor(World& w, const Sound& s, Aircraft& a, uint32_t controls, int ticks) {
    for (int t = 0; t < ticks; ++t) {
        a.controls = controls;
        fireGun(w, s, a);
        fireLauncher(w, s, a);
        countDownCooldowns(a);
    }
}

std::vector<Projectile> liveProjectiles(const World& w) {
    std::vector<Projectile> out;
    for (const Projectile& p : w.projectiles)
        if (p.side != 0) out.push_back(p);
    return out;
}

}  // namespace

TEST(Weapons, GunKindOneAlternatesBarrelsEveryFourthTick) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = armed(*w, 0);
    holdFor(*w, sound, a, CTRL_FIRE_GUN, 1);
    EXPECT_EQ(a.gunAmmo, 799);
    EXPECT_EQ(a.gunCooldown, 3);
    holdFor(*w, sound, a, CTRL_FIRE_GUN, 8);  // ticks 2..9: shots at ticks 5 and 9
    const std::vector<Projectile> shots = liveProjectiles(*w);
    ASSERT_EQ(shots.size(), 3u);
    const float expectedX[] = {-0.2f, 0.2f, -0.2f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(shots[i].x, expectedX[i], 1e-6);
        EXPECT_NEAR(shots[i].y, 30.02, 1e-5);
        EXPECT_NEAR(shots[i].z, 0.3, 1e-6);
        EXPECT_EQ(shots[i].weapon, WEAPON_GUN);
        EXPECT_EQ(shots[i].side, 1);
        EXPECT_EQ(shots[i].target, 9);
        EXPECT_EQ(shots[i].life, 80);
        EXPECT_LE(std::fabs(shots[i].pitch), 0.8 * DEG + 1e-7);
        EXPECT_LE(std::fabs(shots[i].heading), 0.8 * DEG + 1e-7);
    }
    EXPECT_EQ(test::playedChannels, std::vector<int>(3, SOUND_GUN));
    EXPECT_EQ(test::liveEffects(*w, GunSmoke), 3);
}

TEST(Weapons, GunKindFiveCyclesFourBarrels) {
    auto w = test::makeWorld();
    Aircraft& a = armed(*w, 5);
    holdFor(*w, Sound{}, a, CTRL_FIRE_GUN, 10);  // every second tick: five shots
    const std::vector<Projectile> shots = liveProjectiles(*w);
    ASSERT_EQ(shots.size(), 5u);
    const float expectedX[] = {0.3f, 0.1f, -0.1f, -0.3f, 0.3f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(shots[i].x, expectedX[i], 1e-6) << "shot " << i;
        EXPECT_NEAR(shots[i].y, 29.98, 1e-5);
        EXPECT_NEAR(shots[i].z, 0.6, 1e-6);
    }
    EXPECT_EQ(a.gunAmmo, 1195);
}

TEST(Weapons, EveryGunKindKeepsItsIntervalBarrelsAndSpread) {
    struct Kind {
        int type, interval;
        float barrel, y, z, spreadDegrees;
    };
    // gun kinds 1 to 6 sit on types 0, 2, 3, 4, 5 and 6
    const Kind kinds[] = {{0, 4, 0.2f, 0.02f, 0.3f, 0.8f},  {2, 6, 0.0f, 0.02f, 0.7f, 1.4f},
                          {3, 2, 0.4f, -0.02f, 0.5f, 2.0f}, {4, 5, 0.3f, 0.02f, 0.5f, 0.6f},
                          {5, 2, 0.3f, -0.02f, 0.6f, 0.8f}, {6, 3, 0.0f, 0.02f, 0.7f, 1.0f}};
    for (const Kind& k : kinds) {
        auto w = test::makeWorld();
        Aircraft& a = armed(*w, k.type);
        const int ticks = 60 * k.interval;
        holdFor(*w, Sound{}, a, CTRL_FIRE_GUN, ticks);
        const std::vector<Projectile> shots = liveProjectiles(*w);
        ASSERT_EQ(shots.size(), 60u) << "type " << k.type;
        float widest = 0.0f;
        for (const Projectile& p : shots) {
            EXPECT_LE(std::fabs(p.x), k.barrel + 1e-6) << "type " << k.type;
            EXPECT_NEAR(p.y, 30.0f + k.y, 1e-5);
            EXPECT_NEAR(p.z, k.z, 1e-6);
            widest = std::max({widest, std::fabs(p.pitch), std::fabs(p.heading)});
        }
        EXPECT_LE(widest, k.spreadDegrees * DEG + 1e-6) << "type " << k.type;
        EXPECT_GE(widest, (k.spreadDegrees - 0.2f) * DEG) << "type " << k.type;
    }
}

TEST(Weapons, EmptyGunStaysSilent) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = armed(*w, 0);
    a.gunAmmo = 2;
    holdFor(*w, sound, a, CTRL_FIRE_GUN, 20);
    EXPECT_EQ(liveProjectiles(*w).size(), 2u);
    EXPECT_EQ(a.gunAmmo, 0);
    EXPECT_EQ(test::playedChannels.size(), 2u);
}

TEST(Weapons, LauncherKindTwoSpendsOneUseOnTwoRockets) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = armed(*w, 5);
    holdFor(*w, sound, a, CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(a.launcherAmmo, 17);
    EXPECT_EQ(a.launcherCooldown, 9);
    const std::vector<Projectile> rockets = liveProjectiles(*w);
    ASSERT_EQ(rockets.size(), 2u);
    EXPECT_NEAR(rockets[0].x, 0.5, 1e-6);  // right, then left
    EXPECT_NEAR(rockets[1].x, -0.5, 1e-6);
    for (const Projectile& p : rockets) {
        EXPECT_EQ(p.weapon, WEAPON_ROCKET);
        EXPECT_NEAR(p.z, 0.2, 1e-6);
        EXPECT_LE(std::fabs(p.pitch), 0.3 * DEG + 1e-7);
    }
    EXPECT_EQ(test::playedChannels, std::vector<int>{SOUND_LAUNCH});
    EXPECT_EQ(test::liveEffects(*w, LaunchSmoke), 2);
    holdFor(*w, sound, a, CTRL_FIRE_LAUNCHER, 9);
    EXPECT_EQ(liveProjectiles(*w).size(), 2u);
    holdFor(*w, sound, a, CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(liveProjectiles(*w).size(), 4u);
}

TEST(Weapons, SingleRocketAndMissileLaunchers) {
    auto w = test::makeWorld();
    Aircraft& rocketeer = armed(*w, 2);
    Aircraft& hunter = armed(*w, 0);
    holdFor(*w, Sound{}, rocketeer, CTRL_FIRE_LAUNCHER, 1);
    holdFor(*w, Sound{}, hunter, CTRL_FIRE_LAUNCHER, 1);
    const std::vector<Projectile> out = liveProjectiles(*w);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].weapon, WEAPON_ROCKET);
    EXPECT_EQ(rocketeer.launcherCooldown, 9);
    EXPECT_EQ(out[1].weapon, WEAPON_MISSILE);
    EXPECT_EQ(out[1].target, 9);
    EXPECT_EQ(out[1].life, 150);
    EXPECT_LE(std::fabs(out[1].heading), 0.2 * DEG + 1e-7);
    EXPECT_EQ(hunter.launcherCooldown, 19);
    EXPECT_EQ(hunter.launcherAmmo, 7);
}

TEST(Weapons, RearBurstPointsBackwardsFromBehindTheTail) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = armed(*w, 3);
    a.pitch = 0.1f;
    holdFor(*w, sound, a, CTRL_FIRE_LAUNCHER, 1);
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
    EXPECT_EQ(test::playedChannels, std::vector<int>{SOUND_GUN});
}

TEST(Weapons, FullProjectileTableStillSpendsAmmunitionAndSetsCooldown) {
    auto w = test::makeWorld();
    for (Projectile& p : w->projectiles) p.side = 2;
    Aircraft& a = armed(*w, 0);
    holdFor(*w, Sound{}, a, CTRL_FIRE_GUN | CTRL_FIRE_LAUNCHER, 1);
    EXPECT_EQ(a.gunAmmo, 799);
    EXPECT_EQ(a.launcherAmmo, 7);
    EXPECT_EQ(a.gunCooldown, 3);
    EXPECT_EQ(a.launcherCooldown, 19);
    EXPECT_EQ(test::liveEffects(*w, MuzzleFlash), 1);
}

TEST(Weapons, MuzzleFollowsTheAircraftAttitude) {
    auto w = test::makeWorld();
    Aircraft& a = armed(*w, 2);  // gun kind 2: one barrel 0.7 along the nose
    a.heading = HALF_PI;
    holdFor(*w, Sound{}, a, CTRL_FIRE_GUN, 1);
    const Projectile p = liveProjectiles(*w).at(0);
    EXPECT_NEAR(p.x, 0.7, 1e-5);
    EXPECT_NEAR(p.z, 0.0, 1e-5);
    EXPECT_NEAR(p.heading, HALF_PI, 1.4 * DEG + 1e-6);
}

TEST(Weapons, CooldownsCountDownToZeroAndStop) {
    Aircraft a{};
    a.gunCooldown = 1;
    a.launcherCooldown = 0;
    countDownCooldowns(a);
    EXPECT_EQ(a.gunCooldown, 0);
    EXPECT_EQ(a.launcherCooldown, 0);
}
