#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
#include "sim/camera.h"
#include "sim/effects.h"
#include "sim/flight.h"

using namespace vantrel;

namespace {

// The player in slot 0 and the camera as the mission reset leaves it.
struct Chase {
    std::unique_ptr<World> w = test::makeWorld();
    explicit Chase(float x = 10.0f, float y = 20.0f, float z = 30.0f) {
        test::addAircraft(*w, x, y, z, 0.0f, 0, 1);
        w->seats[PLAYER_SEAT].slot = 0;
        w->seats[PLAYER_SEAT].cameraPos = Vec3{0.0f, 10.0f, 0.0f};
    }
    Aircraft& player() { return w->aircraft[0]; }
    void holdF1(bool held) { w->seats[PLAYER_SEAT].input.keys[VK_F1] = held ? KEY_DOWN_BIT : 0; }
    void run(int ticks) {
        for (int t = 0; t < ticks; ++t) {
            updateEffects(*w);  // the glare of one tick is gone by the next, as in a mission
            updateCamera(*w);
        }
    }
};

// Where an eye offset (right, up, forward) lands for an aircraft with no roll, from the
// forward and up axes of its pitch and heading.
Vec3 eyePoint(const Aircraft& a, float up, float forward) {
    const double p = a.pitch, h = a.heading;
    const double fx = std::cos(p) * std::sin(h), fy = std::sin(p), fz = std::cos(p) * std::cos(h);
    const double ux = -std::sin(p) * std::sin(h), uy = std::cos(p), uz = -std::sin(p) * std::cos(h);
    return {static_cast<float>(a.x + up * ux + forward * fx), static_cast<float>(a.y + up * uy + forward * fy),
            static_cast<float>(a.z + up * uz + forward * fz)};
}

void expectNear(const Vec3& got, const Vec3& want, float tolerance) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

int liveEffects(const World& w) {
    int n = 0;
    for (const Effect& e : w.effects) n += e.life != 0 ? 1 : 0;
    return n;
}

}  // namespace

TEST(Camera, SweepsInFromTheResetPositionAndEasesTheAnglesAsPlainNumbers) {
    Chase c;
    c.run(1);
    // 40 % of the way from (0, 10, 0) to the point 0.5 above and 0.9 behind (10, 20, 30).
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, Vec3{4.0f, 14.2f, 11.64f}, 1e-5f);
    c.run(60);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, Vec3{10.0f, 20.5f, 29.1f}, 1e-4f);

    c.player().pitch = 0.4f;
    c.player().heading = 20.0f;  // never wrapped: followed as a plain number
    c.player().roll = -1.0f;
    c.run(1);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraPitch, 0.12f, 1e-6f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, 6.0f, 1e-6f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraRoll, -0.3f, 1e-6f);
}

TEST(Camera, BlendsInDoublePrecision) {
    // Find a pair whose blend rounds differently in float arithmetic; the camera must give
    // the double-precision result.
    float start = 0.0f, goal = 0.0f, expected = 0.0f;
    for (int i = 1; i < 10000 && start == 0.0f; ++i) {
        const float s = 0.001f * static_cast<float>(i), g = 3.0f - 0.0007f * static_cast<float>(i);
        const float inDouble = static_cast<float>(s * 0.7 + g * 0.3);
        const float inFloat = s * 0.7f + g * 0.3f;
        if (inDouble != inFloat) {
            start = s;
            goal = g;
            expected = inDouble;
        }
    }
    ASSERT_NE(start, 0.0f);
    Chase c;
    c.w->seats[PLAYER_SEAT].cameraHeading = start;
    c.player().heading = goal;
    c.run(1);
    EXPECT_EQ(c.w->seats[PLAYER_SEAT].cameraHeading, expected);
}

TEST(Camera, F1SwingsTheViewAroundInEveryModeAndReleasingSwingsItBack) {
    Chase c;
    c.player().pitch = 0.3f;
    c.player().roll = 0.2f;
    c.player().heading = 1.0f;
    c.run(80);
    c.holdF1(true);
    c.run(1);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, 0.7 * 1.0 + 0.3 * (1.0 + PI), 1e-5);  // no cut
    c.run(80);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, 1.0f + PI, 1e-5f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraPitch, -0.3f, 1e-5f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraRoll, -0.2f, 1e-5f);
    c.player().roll = 0.0f;
    c.run(80);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, eyePoint(c.player(), 0.5f, 2.2f), 1e-4f);
    c.w->seats[PLAYER_SEAT].cockpitView = 1;  // the cockpit point whether F1 is held or not
    c.run(80);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, eyePoint(c.player(), 0.2f, 0.2f), 1e-4f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, 1.0f + PI, 1e-5f);
    c.holdF1(false);
    c.run(80);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, eyePoint(c.player(), 0.2f, 0.2f), 1e-4f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, 1.0f, 1e-5f);
    EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraPitch, 0.3f, 1e-5f);
    c.w->seats[PLAYER_SEAT].cockpitView = 0;
    c.run(80);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, eyePoint(c.player(), 0.5f, -0.9f), 1e-4f);
}

TEST(Camera, RollTurnsTheOffsetAboutTheNoseAndAWreckIsStillFollowed) {
    Chase c(0.0f, 30.0f, 0.0f);
    c.player().roll = HALF_PI;  // local up now points along world +x
    c.player().side = 0;
    c.run(80);
    expectNear(c.w->seats[PLAYER_SEAT].cameraPos, Vec3{0.5f, 30.0f, -0.9f}, 1e-4f);
    EXPECT_EQ(liveEffects(*c.w), 3);
}

TEST(Camera, SunGlareIsThreeOneTickSquaresAlongTheSunDirection) {
    Chase c(-12.0f, 33.0f, 7.0f);
    c.run(1);
    const double length = std::sqrt(0.1 * 0.1 + 0.7 * 0.7 + 0.2 * 0.2);
    const double sun[3] = {-0.1 / length, 0.7 / length, -0.2 / length};
    struct Square {
        double distance;
        float size;
        uint8_t alpha, kind;
    };
    const Square squares[] = {{3, 0.6f, 60, 6}, {9, 0.6f, 60, 6}, {27, 0.8f, 200, 3}};
    ASSERT_EQ(liveEffects(*c.w), 3);
    for (int i = 0; i < 3; ++i) {
        const Effect& e = c.w->effects[i];
        const Square& s = squares[i];
        EXPECT_NEAR(e.x, -12.0 + s.distance * sun[0], 1e-5);
        EXPECT_NEAR(e.y, 33.0 + s.distance * sun[1], 1e-5);
        EXPECT_NEAR(e.z, 7.0 + s.distance * sun[2], 1e-5);
        EXPECT_EQ(e.size, s.size);
        EXPECT_EQ(e.alpha, s.alpha);
        EXPECT_EQ(e.kind, s.kind);
        EXPECT_EQ(e.life, 1);
        EXPECT_EQ(e.shade, 0);
        EXPECT_EQ(e.vy, 0.0f);
        EXPECT_EQ(e.growth, 0.0f);
        EXPECT_EQ(e.alphaStep, 0);
    }
    c.player().x = 50.0f;
    c.run(1);  // the old set is aged out before the new one is placed
    ASSERT_EQ(liveEffects(*c.w), 3);
    EXPECT_NEAR(c.w->effects[0].x, 50.0 + 3.0 * sun[0], 1e-5);
}

TEST(Camera, AFullEffectTableDropsTheGlare) {
    Chase c;
    for (Effect& e : c.w->effects) {
        e.life = 5;
        e.kind = 2;
    }
    updateCamera(*c.w);
    for (const Effect& e : c.w->effects) {
        EXPECT_EQ(e.kind, 2);
        EXPECT_EQ(e.life, 5);
    }
}

TEST(Camera, StaysSteadyWhenThePlayerFlipsOverTheVertical) {
    for (float direction : {1.0f, -1.0f}) {
        Chase c(0.0f, 40.0f, 0.0f);
        Aircraft& a = c.player();
        a.pitch = 1.5f * direction;
        a.heading = 0.3f;
        c.run(80);  // the camera has caught up with the aircraft
        a.pitchRate = 0.1f * direction;
        updateAircraft(*c.w);
        ASSERT_NEAR(a.heading, 0.3f + PI, 1e-5f) << "the aircraft flipped";
        updateCamera(*c.w);
        // The camera turned with the aircraft instead of swinging half a turn behind it.
        EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraHeading, a.heading, 1e-5f);
        EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraRoll, a.roll, 1e-5f);
        EXPECT_NEAR(c.w->seats[PLAYER_SEAT].cameraPitch, a.pitch, 0.1f);
    }
}

TEST(Camera, OnlyThePlayersFlipTurnsTheCamera) {
    Chase c(0.0f, 40.0f, 0.0f);
    const int other = test::addAircraft(*c.w, 50.0f, 40.0f, 0.0f, 0.0f, 0, 2);
    c.w->aircraft[other].pitch = 1.55f;
    c.w->aircraft[other].pitchRate = 0.1f;
    c.run(80);
    const float heading = c.w->seats[PLAYER_SEAT].cameraHeading;
    updateAircraft(*c.w);
    EXPECT_EQ(c.w->seats[PLAYER_SEAT].cameraHeading, heading);
}
