#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/flight.h"
#include "sound/sound.h"
#include "world/terrain.h"

using namespace vantrel;

namespace {

const Sound silent{};

// A type-0 aircraft of side 1 at height 30 over flat ground, heading along +z.
Aircraft& levelAircraft(World& w, float y = 30.0f) {
    return w.aircraft[test::addAircraft(w, 0.0f, y, 0.0f, 0.0f, 0, 1)];
}

void tick(World& w, const Sound& s = silent) {
    ++w.tickCount;
    updateAircraft(w, s);
}


}  // namespace

TEST(Flight, LevelPullUpGainsFourTenthsOfADegreeInOneTick) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    a.controls = CTRL_PITCH_UP;
    tick(*w);
    EXPECT_NEAR(a.pitch, 0.4 * DEG, 1e-8);
    EXPECT_NEAR(a.pitchRate, 0.32 * DEG, 1e-8);
    EXPECT_NEAR(a.headingRate, 0.0, 1e-12);
    EXPECT_NEAR(a.rollRate, 0.0, 1e-12);
    // Held steadily, the change per tick approaches five times the input.
    for (int t = 0; t < 40; ++t) tick(*w);
    EXPECT_NEAR(a.pitchRate / 0.8, 5 * 0.4 * DEG, 1e-5);
}

TEST(Flight, BankedElevatorTurnsInsteadOfPitching) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    a.roll = HALF_PI;
    a.controls = CTRL_PITCH_UP;
    tick(*w);
    EXPECT_NEAR(a.pitch, 0.0, 1e-8);
    EXPECT_NEAR(a.heading, 0.4 * DEG, 1e-8);

    a.controls = CTRL_YAW_RIGHT;  // banked, the rudder moves the nose up
    const float before = a.pitch;
    tick(*w);
    EXPECT_LT(a.pitch, before - 0.05 * DEG);
}

TEST(Flight, RollAndRudderInputsFollowTheTypeRates) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    a.controls = CTRL_ROLL_RIGHT;
    tick(*w);
    EXPECT_NEAR(a.roll, 14 / 20.0 * DEG, 1e-8);
    a.controls = CTRL_ROLL_LEFT | CTRL_ROLL_RIGHT;  // opposite keys both apply and cancel
    const float roll = a.roll, rate = a.rollRate;
    tick(*w);
    EXPECT_NEAR(a.roll, roll + rate, 1e-7);

    auto w2 = test::makeWorld();
    Aircraft& b = levelAircraft(*w2);
    b.controls = CTRL_YAW_LEFT;
    tick(*w2);
    EXPECT_NEAR(b.heading, -2 / 20.0 * DEG, 1e-8);
    EXPECT_NEAR(b.pitch, 0.0, 1e-8);
}

TEST(Flight, FlipOverTheTopKeepsTheFlightDirection) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    const int i = 0;
    w->playerIndex = i;
    a.pitch = 1.59f;
    a.pitchRate = 0.01f;
    a.heading = 0.3f;
    a.roll = 0.2f;
    w->cameraPitch = 1.5f;
    w->cameraHeading = 0.3f;
    w->cameraRoll = 0.1f;
    const float x = a.x, y = a.y, z = a.z;
    tick(*w);
    EXPECT_NEAR(a.pitch, 1.541592, 1e-6);
    EXPECT_NEAR(a.heading, 0.3 + PI, 1e-6);
    EXPECT_NEAR(a.roll, 0.2 + PI, 1e-6);
    EXPECT_NEAR(a.pitchRate, -0.008, 1e-7);
    EXPECT_NEAR(w->cameraPitch, PI - 1.5, 1e-6);
    EXPECT_NEAR(w->cameraHeading, 0.3 + PI, 1e-6);
    EXPECT_NEAR(w->cameraRoll, 0.1 + PI, 1e-6);
    // The movement is the one the nose gave at pitch 1.6 before the flip.
    const double speed = a.speed;
    EXPECT_NEAR(a.x - x, std::cos(1.6) * std::sin(0.3) * speed, 1e-6);
    EXPECT_NEAR(a.y - y, std::sin(1.6) * speed, 1e-6);
    EXPECT_NEAR(a.z - z, std::cos(1.6) * std::cos(0.3) * speed, 1e-6);
}

TEST(Flight, FlipUnderneathMirrorsAboutMinusPiAndSparesOtherCameras) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    w->playerIndex = 5;
    a.pitch = -1.6f;
    w->cameraPitch = 0.25f;
    tick(*w);
    EXPECT_NEAR(a.pitch, -1.541592, 1e-6);
    EXPECT_NEAR(a.heading, PI, 1e-6);
    EXPECT_EQ(w->cameraPitch, 0.25f);
    EXPECT_EQ(w->cameraHeading, 0.0f);
}

TEST(Flight, ThrottleCapsAtTheTypeMaximumAndFloorsAtOneTenth) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    a.speed = 0.595f;
    a.controls = CTRL_THROTTLE_UP;
    tick(*w);
    EXPECT_FLOAT_EQ(a.speed, 0.6f);
    tick(*w);
    EXPECT_FLOAT_EQ(a.speed, 0.6f);
    a.speed = 0.105f;
    a.controls = CTRL_THROTTLE_DOWN;
    tick(*w);
    EXPECT_FLOAT_EQ(a.speed, 0.1f);
}

TEST(Flight, SlowAircraftStallsAndHighAircraftIsPushedDown) {
    auto w = test::makeWorld();
    Aircraft& slow = levelAircraft(*w);
    slow.speed = 0.12f;
    Aircraft& high = w->aircraft[test::addAircraft(*w, 50.0f, 75.0f, 0.0f, 0.0f, 0, 1)];
    tick(*w);
    EXPECT_NEAR(slow.pitchRate, -0.4 * DEG, 1e-8);
    EXPECT_NEAR(slow.y, 30.0 - 0.08, 1e-5);
    EXPECT_NEAR(high.pitchRate, -0.5 * DEG, 1e-8);
    EXPECT_NEAR(high.y, 75.0 - 0.1, 1e-5);
}

TEST(Flight, DamagedAircraftLosesSpeedDespiteThrottleAndStalls) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w, 60.0f);
    a.armor = 20;
    a.controls = CTRL_THROTTLE_UP;
    const float start = a.speed;
    tick(*w);
    EXPECT_NEAR(a.speed, start - 0.005, 1e-6);
    EXPECT_EQ(test::liveEffects(*w, DamageSmoke), 1);  // tick 1: 1 % 3 == 1
    tick(*w);
    tick(*w);
    EXPECT_EQ(test::liveEffects(*w, DamageSmoke), 1);
    tick(*w);
    EXPECT_EQ(test::liveEffects(*w, DamageSmoke), 2);
    for (int t = 0; t < 100; ++t) tick(*w);
    EXPECT_FLOAT_EQ(a.speed, 0.05f);
    EXPECT_LT(a.pitch, 0.0f);
    EXPECT_LT(a.y, 60.0f);

    auto healthy = test::makeWorld();
    Aircraft& b = levelAircraft(*healthy);
    b.armor = 21;
    tick(*healthy);
    EXPECT_EQ(b.speed, static_cast<float>(12 / 20.0 * 0.7));
    EXPECT_EQ(test::liveEffects(*healthy, DamageSmoke), 0);
}

TEST(Flight, DamageSmokeJitterIsDrawnForZThenYThenX) {
    auto w = test::makeWorld();
    Aircraft& a = levelAircraft(*w);
    a.armor = 10;
    uint32_t state = w->rngState;
    const double jz = (nextRandom(state) % 5 - 2) * 0.1;
    const double jy = (nextRandom(state) % 5 - 2) * 0.1;
    const double jx = (nextRandom(state) % 5 - 2) * 0.1;
    tick(*w);
    const Effect& e = w->effects[0];
    EXPECT_EQ(e.x, static_cast<float>(a.x + jx));
    EXPECT_EQ(e.y, static_cast<float>(a.y + jy));
    EXPECT_EQ(e.z, static_cast<float>(a.z + jz));
    EXPECT_EQ(w->rngState, state);
}

TEST(Flight, TenTicksOnTheGroundDestroyAnEightyArmorAircraft) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = levelAircraft(*w, 0.0f);
    a.speed = 0.3f;
    a.pitch = -0.1f;  // pressed into the ground, not floating at the clearance height
    for (int t = 1; t <= 9; ++t) {
        tick(*w, sound);
        ASSERT_NE(a.side, 0) << "tick " << t;
        EXPECT_FLOAT_EQ(a.y, 0.3f);
        EXPECT_EQ(a.armor, 80 - 8 * t);
        EXPECT_EQ(test::liveEffects(*w, ContactSmoke), (t + 1) / 2) << "smoke on odd ticks only";
    }
    EXPECT_EQ(test::playedChannels, std::vector<int>(9, SOUND_BLAST));
    w->cameraPos = Vec3{a.x, a.y, a.z};
    tick(*w, sound);
    EXPECT_EQ(a.side, 0);
    EXPECT_EQ(a.armor, 0);
    EXPECT_EQ(test::liveEffects(*w, AircraftExplosion), 1);
    ASSERT_EQ(test::playedChannels.size(), 11u);
    EXPECT_EQ(test::playedChannels.back(), SOUND_EXPLOSION);
    // A wreck keeps its last values and is no longer moved.
    const float z = a.z;
    tick(*w, sound);
    EXPECT_EQ(a.z, z);
}

TEST(Flight, BoundaryClampsAfterTheGroundIsTakenAtTheUnclampedPoint) {
    auto w = test::makeWorld();
    for (int r = 0; r < GRID_SIZE; ++r) w->heightmap[r * GRID_SIZE + 89] = 200;  // x 312 raised
    Aircraft& a = w->aircraft[test::addAircraft(*w, 309.7f, 0.5f, 0.0f, HALF_PI, 0, 1)];
    a.speed = 0.3f;
    tick(*w);
    EXPECT_EQ(a.x, BOUNDARY);
    const float groundAt310 = groundHeight(*w, static_cast<float>(309.7f + 0.3), 0.0f);
    ASSERT_GT(groundAt310, groundHeight(*w, BOUNDARY, 0.0f) + 1.0f);
    EXPECT_NEAR(a.y, groundAt310 + 0.3, 1e-3);

    a.x = -310.0f;
    a.z = 400.0f;
    tick(*w);
    EXPECT_EQ(a.x, -BOUNDARY);
    EXPECT_EQ(a.z, BOUNDARY);
}

TEST(Flight, FormationContactCostsSixteenArmorATickEach) {
    auto w = test::makeWorld();
    const Sound sound = test::recordingSound();
    Aircraft& a = levelAircraft(*w);
    Aircraft& b = w->aircraft[test::addAircraft(*w, 0.5f, 30.0f, 0.0f, 0.0f, 0, 2)];
    w->cameraPos = Vec3{0.25f, 30.0f, 0.4f};
    tick(*w, sound);
    EXPECT_EQ(a.armor, 80 - 16);
    EXPECT_EQ(b.armor, 80 - 16);
    EXPECT_EQ(test::liveEffects(*w, ContactSmoke), 2);
    EXPECT_EQ(test::playedChannels, (std::vector<int>{SOUND_BLAST, SOUND_BLAST}));
    EXPECT_NE(a.pitchRate, 0.0f);  // knocked by up to 8 degrees

    // 0.8 apart still touches, a little more does not.
    auto far = test::makeWorld();
    Aircraft& c = levelAircraft(*far);
    Aircraft& d = far->aircraft[test::addAircraft(*far, 0.81f, 30.0f, 0.0f, 0.0f, 0, 2)];
    tick(*far);
    EXPECT_EQ(c.armor, 80);
    EXPECT_EQ(d.armor, 80);
}

TEST(Flight, ArmorDrivenBelowOneByALaterAircraftWaitsForItsOwnUpdate) {
    auto w = test::makeWorld();
    Aircraft& slow = levelAircraft(*w);  // slot 0
    slow.armor = 1;
    slow.speed = 0.1f;
    // Slot 1 closes in from behind: out of reach in slot 0's test, in reach in its own.
    Aircraft& chaser = w->aircraft[test::addAircraft(*w, 0.0f, 30.0f, -1.0f, 0.0f, 0, 2)];
    chaser.speed = 0.42f;
    tick(*w);
    EXPECT_EQ(slow.side, 1);
    EXPECT_EQ(slow.armor, -7);
    EXPECT_EQ(chaser.armor, 72);
    const float z = slow.z;
    tick(*w);
    EXPECT_EQ(slow.side, 0);
    EXPECT_GT(slow.z, z) << "it still moved in its last update";
}
