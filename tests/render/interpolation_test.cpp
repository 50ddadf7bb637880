#include "render/interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

namespace vantrel::render {
namespace {

constexpr float PI_F = std::numbers::pi_v<float>;

// Two consecutive ticks of a mission: aircraft 2 flies from (0, 10, 0) to (2, 12, 4) turning
// across the back of the circle; a gun round, an effect and the camera move as well.
struct TwoTicks {
    std::unique_ptr<World> before = std::make_unique<World>();
    std::unique_ptr<World> latest = std::make_unique<World>();
    std::unique_ptr<World> out = std::make_unique<World>();

    TwoTicks() {
        World& b = *before;
        b.gameMode = MODE_MISSION;
        b.tickCount = 40;
        Aircraft& a = b.aircraft[2];
        a.side = 1;
        a.type = 3;
        a.y = 10.0f;
        a.heading = 3.1f;
        a.roll = 0.5f;
        Projectile& p = b.projectiles[7];
        p.side = 2;
        p.weapon = WEAPON_GUN;
        p.life = 20;
        p.x = 1.0f;
        Effect& e = b.effects[4];
        e.kind = 2;
        e.life = 30;
        e.spin = 1.0f;
        b.seats[PLAYER_SEAT].cameraPos = {0.0f, 10.0f, -5.0f};
        b.seats[PLAYER_SEAT].cameraHeading = -3.0f;

        World& l = *latest;
        l = b;
        l.tickCount = 41;
        Aircraft& a2 = l.aircraft[2];
        a2.x = 2.0f;
        a2.y = 12.0f;
        a2.z = 4.0f;
        a2.heading = -3.1f;
        a2.roll = 0.7f;
        a2.armor = 7;
        l.projectiles[7].x = 3.0f;
        l.projectiles[7].life = 19;
        l.effects[4].y = 2.0f;
        l.effects[4].life = 29;
        l.seats[PLAYER_SEAT].cameraPos = {2.0f, 12.0f, -1.0f};
        l.seats[PLAYER_SEAT].cameraHeading = 3.0f;
    }

    void blend(float f) { blendWorlds(*before, *latest, f, *out); }
};

TEST(Interpolation, HalfwayPutsEverythingMovingHalfwayAndTurnsTheShortWay) {
    TwoTicks t;
    t.blend(0.5f);
    const Aircraft& a = t.out->aircraft[2];
    EXPECT_FLOAT_EQ(a.x, 1.0f);
    EXPECT_FLOAT_EQ(a.y, 11.0f);
    EXPECT_FLOAT_EQ(a.z, 2.0f);
    EXPECT_NEAR(std::abs(a.heading), PI_F, 1e-5f) << "3.1 to -3.1 passes through pi, not through 0";
    EXPECT_FLOAT_EQ(a.roll, 0.6f);
    EXPECT_EQ(a.armor, 7) << "what is not drawn motion is the latest tick's";
    EXPECT_FLOAT_EQ(t.out->projectiles[7].x, 2.0f);
    EXPECT_FLOAT_EQ(t.out->effects[4].y, 1.0f);
    EXPECT_FLOAT_EQ(t.out->seats[PLAYER_SEAT].cameraPos.z, -3.0f);
    EXPECT_NEAR(std::abs(t.out->seats[PLAYER_SEAT].cameraHeading), PI_F, 1e-5f);
    EXPECT_EQ(t.out->tickCount, 41);

    t.blend(0.25f);
    EXPECT_NEAR(t.out->aircraft[2].heading, 3.1f + 0.25f * (2.0f * PI_F - 6.2f), 1e-5f);
}

TEST(Interpolation, FractionIsClampedAndOneIsTheLatestTickExactly) {
    TwoTicks t;
    t.latest->aircraft[2].x = 0.3f;  // a value lerp could miss by an ulp
    t.blend(1.0f);
    EXPECT_EQ(std::memcmp(t.out.get(), t.latest.get(), sizeof(World)), 0);
    t.blend(7.0f);
    EXPECT_EQ(std::memcmp(t.out.get(), t.latest.get(), sizeof(World)), 0);
    t.blend(std::nanf(""));
    EXPECT_EQ(std::memcmp(t.out.get(), t.latest.get(), sizeof(World)), 0);
    t.blend(-3.0f);
    EXPECT_FLOAT_EQ(t.out->aircraft[2].x, 0.0f) << "below 0 is the earlier tick";
    EXPECT_FLOAT_EQ(t.out->aircraft[2].heading, 3.1f);
}

TEST(Interpolation, SlotsThatAreNotTheSameThingInBothTicksAreDrawnAsTheyAreNow) {
    TwoTicks t;
    Projectile& spawned = t.latest->projectiles[9];  // free before: fired in the latest tick
    spawned.side = 1;
    spawned.life = 40;
    spawned.x = 8.0f;
    t.latest->aircraft[2].side = 0;         // destroyed in the latest tick
    Effect& reused = t.latest->effects[4];  // expired and filled again in the same tick
    reused.life = 50;
    reused.x = 9.0f;
    Aircraft& other = t.latest->aircraft[5];  // a slot that changed its kind
    t.before->aircraft[5].side = 2;
    t.before->aircraft[5].type = 1;
    other.side = 2;
    other.type = 4;
    other.x = 6.0f;
    t.blend(0.5f);
    EXPECT_FLOAT_EQ(t.out->projectiles[9].x, 8.0f);
    EXPECT_FLOAT_EQ(t.out->aircraft[2].x, 2.0f);
    EXPECT_FLOAT_EQ(t.out->effects[4].x, 9.0f);
    EXPECT_FLOAT_EQ(t.out->effects[4].y, 2.0f);
    EXPECT_FLOAT_EQ(t.out->aircraft[5].x, 6.0f);
    EXPECT_FLOAT_EQ(t.out->projectiles[7].x, 2.0f) << "the round that flew on is still blended";
}

TEST(Interpolation, WorldsThatAreNotConsecutiveTicksAreNotBlended) {
    TwoTicks t;
    t.latest->tickCount = 0;  // a mission reset between the two
    t.blend(0.5f);
    EXPECT_EQ(std::memcmp(t.out.get(), t.latest.get(), sizeof(World)), 0);
    TwoTicks modes;
    modes.before->gameMode = MODE_SELECT;
    modes.blend(0.5f);
    EXPECT_EQ(std::memcmp(modes.out.get(), modes.latest.get(), sizeof(World)), 0);
}

TEST(Interpolation, AnglesBlendAcrossAnyNumberOfTurns) {
    EXPECT_NEAR(blendAngle(0.1f, -0.1f, 0.5f), 0.0f, 1e-6f);
    EXPECT_NEAR(blendAngle(6.0f * PI_F + 0.2f, 0.4f, 0.5f), 6.0f * PI_F + 0.3f, 1e-5f)
        << "an unwrapped heading moves by the small difference";
    EXPECT_EQ(blendAngle(5.0f, -20.0f, 1.0f), -20.0f);
    EXPECT_EQ(blendAngle(5.0f, -20.0f, 0.0f), 5.0f);
}

}  // namespace
}  // namespace vantrel::render
