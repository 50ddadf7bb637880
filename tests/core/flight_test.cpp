#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fight_fixtures.h"
#include "fixtures.h"
#include "sim/effects.h"
#include "sim/flight.h"
#include "world/terrain.h"

using namespace vantrel;

namespace {

// A type-0 aircraft (armor 80, speed cap 0.6) over flat ground, heading along +z.
Aircraft& aircraftAt(World& w, float x, float y, float z, int side = 1) {
    return w.aircraft[test::addAircraft(w, x, y, z, 0.0f, 0, side)];
}

void tick(World& w) {
    ++w.tickCount;
    updateAircraft(w);
}

}  // namespace

TEST(Flight, ControlInputsTurnWithTheBank) {
    auto w = test::makeWorld();
    Aircraft& level = aircraftAt(*w, 0, 30, 0);
    Aircraft& banked = aircraftAt(*w, 20, 30, 0);
    banked.roll = HALF_PI;
    level.controls = banked.controls = CTRL_PITCH_UP;
    tick(*w);
    EXPECT_NEAR(level.pitch, 0.4 * DEG, 1e-8);
    EXPECT_NEAR(level.pitchRate, 0.32 * DEG, 1e-8);
    EXPECT_NEAR(banked.pitch, 0.0, 1e-8);
    EXPECT_NEAR(banked.heading, 0.4 * DEG, 1e-8);
    Aircraft& rudder = aircraftAt(*w, 40, 30, 0);
    rudder.controls = CTRL_YAW_LEFT | CTRL_ROLL_RIGHT;
    tick(*w);
    EXPECT_NEAR(rudder.heading, -0.1 * DEG, 1e-8);
    EXPECT_NEAR(rudder.roll, 0.7 * DEG, 1e-8);
    EXPECT_NEAR(rudder.pitch, 0.0, 1e-8);
}

TEST(Flight, FlipOverTheVerticalKeepsTheFlightDirectionAndTurnsThePlayersCamera) {
    auto w = test::makeWorld();
    Aircraft& player = aircraftAt(*w, 0, 30, 0);
    Aircraft& other = aircraftAt(*w, 20, 30, 0);
    w->seats[PLAYER_SEAT].slot = 0;
    player.pitch = 1.59f;
    player.pitchRate = 0.01f;
    player.heading = 0.3f;
    other.pitch = -1.6f;
    w->seats[PLAYER_SEAT].cameraPitch = 1.5f;
    w->seats[PLAYER_SEAT].cameraHeading = 0.3f;
    tick(*w);
    EXPECT_NEAR(player.pitch, 1.541592, 1e-6);
    EXPECT_NEAR(player.heading, 0.3 + PI, 1e-6);
    EXPECT_NEAR(player.roll, PI, 1e-6);
    EXPECT_NEAR(player.pitchRate, -0.008, 1e-7);
    EXPECT_NEAR(w->seats[PLAYER_SEAT].cameraPitch, PI - 1.5, 1e-6);
    EXPECT_NEAR(w->seats[PLAYER_SEAT].cameraHeading, 0.3 + PI, 1e-6);
    const double speed = player.speed;  // moved as the nose at 1.6 pointed
    EXPECT_NEAR(player.x, std::cos(1.6) * std::sin(0.3) * speed, 1e-6);
    EXPECT_NEAR(player.y, 30 + std::sin(1.6) * speed, 1e-5);
    EXPECT_NEAR(other.pitch, -1.541592, 1e-6);
    EXPECT_NEAR(other.heading, PI, 1e-6);
}

TEST(Flight, ThrottleCapsAndFloorsSlowAircraftStallHighAircraftSink) {
    auto w = test::makeWorld();
    Aircraft& fast = aircraftAt(*w, 0, 30, 0);
    Aircraft& slow = aircraftAt(*w, 20, 30, 0);
    Aircraft& high = aircraftAt(*w, 40, 75, 0);
    fast.speed = 0.595f;
    fast.controls = CTRL_THROTTLE_UP;
    slow.speed = 0.105f;
    slow.controls = CTRL_THROTTLE_DOWN;
    tick(*w);
    EXPECT_FLOAT_EQ(fast.speed, 0.6f);
    EXPECT_FLOAT_EQ(slow.speed, 0.1f);
    EXPECT_NEAR(slow.pitchRate, -0.4 * DEG, 1e-8);
    EXPECT_NEAR(slow.y, 30 - 0.08, 1e-5);
    EXPECT_NEAR(high.pitchRate, -0.5 * DEG, 1e-8);
    EXPECT_NEAR(high.y, 75 - 0.1, 1e-5);
    EXPECT_NEAR(fast.pitchRate, 0.0, 1e-12);
}

TEST(Flight, DamagedAircraftSmokesAndSlowsToAStallDespiteThrottle) {
    auto w = test::makeWorld();
    Aircraft& a = aircraftAt(*w, 0, 60, 0);
    a.armor = 20;
    a.controls = CTRL_THROTTLE_UP;
    const float start = a.speed;
    std::vector<int> smoke;
    for (int t = 1; t <= 4; ++t) {
        tick(*w);
        smoke.push_back(test::liveEffects(*w, DamageSmoke));
    }
    EXPECT_NEAR(a.speed, start - 4 * 0.005, 1e-6);
    EXPECT_EQ(smoke, (std::vector<int>{1, 1, 1, 2})) << "on ticks where tickCount % 3 == 1";
    for (int t = 0; t < 100; ++t) tick(*w);
    EXPECT_FLOAT_EQ(a.speed, 0.05f);
    EXPECT_LT(a.pitch, 0.0f);
    EXPECT_LT(a.y, 60.0f);
}

TEST(Flight, TenTicksOnTheGroundDestroyAnEightyArmorAircraft) {
    auto w = test::makeWorld();
    Aircraft& a = aircraftAt(*w, 0, 0, 0);
    a.pitch = -0.1f;  // pressed into the ground, not floating at the clearance height
    for (int t = 1; t <= 9; ++t) tick(*w);
    EXPECT_EQ(a.side, 1);
    EXPECT_EQ(a.armor, 8);
    EXPECT_FLOAT_EQ(a.y, 0.3f);
    EXPECT_EQ(test::liveEffects(*w, ContactSmoke), 5) << "smoke on odd ticks only";
    EXPECT_EQ(test::playedChannels(*w), std::vector<int>(9, SOUND_BLAST));
    w->seats[PLAYER_SEAT].cameraPos = Vec3{a.x, a.y, a.z};
    tick(*w);
    EXPECT_EQ(a.side, 0);
    EXPECT_EQ(test::liveEffects(*w, AircraftExplosion), 1);
    EXPECT_EQ(test::playedChannels(*w).back(), SOUND_EXPLOSION);
    const float z = a.z;  // a wreck keeps its values and no longer moves
    tick(*w);
    EXPECT_EQ(a.z, z);
}

TEST(Flight, BoundaryClampsAfterTheGroundIsTakenAtTheUnclampedPoint) {
    auto w = test::makeWorld();
    for (int r = 0; r < GRID_SIZE; ++r) w->heightmap[r * GRID_SIZE + 89] = 200;  // x 312 raised
    Aircraft& a = aircraftAt(*w, 309.7f, 0.5f, 0.0f);
    a.heading = HALF_PI;
    a.speed = 0.3f;
    tick(*w);
    EXPECT_EQ(a.x, BOUNDARY);
    const float groundAt310 = groundHeight(*w, 310.0f, 0.0f);
    ASSERT_GT(groundAt310, groundHeight(*w, BOUNDARY, 0.0f) + 1.0f);
    EXPECT_NEAR(a.y, groundAt310 + 0.3, 1e-3);
}

TEST(Flight, FormationContactCostsSixteenArmorATickEach) {
    auto w = test::makeWorld();
    Aircraft& a = aircraftAt(*w, 0, 30, 0);
    Aircraft& b = aircraftAt(*w, 0.5f, 30, 0, 2);
    Aircraft& apart = aircraftAt(*w, 10, 30, 0);
    Aircraft& justOut = aircraftAt(*w, 10.81f, 30, 0);
    w->seats[PLAYER_SEAT].cameraPos = Vec3{0.25f, 30.0f, 0.4f};
    tick(*w);
    EXPECT_EQ(a.armor, 80 - 16);
    EXPECT_EQ(b.armor, 80 - 16);
    EXPECT_EQ(apart.armor, 80);
    EXPECT_EQ(justOut.armor, 80);
    EXPECT_EQ(test::liveEffects(*w, ContactSmoke), 2);
    EXPECT_EQ(test::playedChannels(*w), (std::vector<int>{SOUND_BLAST, SOUND_BLAST}));
}

TEST(Flight, ArmorDrivenBelowOneByALaterAircraftWaitsForItsOwnUpdate) {
    auto w = test::makeWorld();
    Aircraft& slow = aircraftAt(*w, 0, 30, 0);  // slot 0
    slow.armor = 1;
    slow.speed = 0.1f;
    // Slot 1 closes in from behind: out of reach in slot 0's test, in reach in its own.
    Aircraft& chaser = aircraftAt(*w, 0, 30, -1.0f, 2);
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
