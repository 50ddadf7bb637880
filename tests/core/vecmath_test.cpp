#include <gtest/gtest.h>

#include <cmath>

#include "sim/vecmath.h"

using namespace vantrel;

TEST(Vecmath, AngleOfUsesLibraryAtan2AndZeroForTheOrigin) {
    EXPECT_EQ(angleOf(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(angleOf(1.0f, 0.0f), static_cast<float>(std::atan2(1.0, 0.0)));
    EXPECT_EQ(angleOf(0.0f, -1.0f), static_cast<float>(std::atan2(0.0, -1.0)));
    EXPECT_NE(angleOf(0.0f, -1.0f), PI);  // the library's pi, not the game's shorter one
}

TEST(Vecmath, RotatePairKeepsTheOriginAndTurnsFromTheBAxis) {
    float a = 0.0f, b = 0.0f;
    rotatePair(a, b, 1.3f);
    EXPECT_EQ(a, 0.0f);
    EXPECT_EQ(b, 0.0f);

    a = 0.0f;
    b = 1.0f;
    rotatePair(a, b, 0.5f);
    EXPECT_FLOAT_EQ(a, std::sin(0.5f));
    EXPECT_FLOAT_EQ(b, std::cos(0.5f));

    a = 3.0f;
    b = 4.0f;
    rotatePair(a, b, 2.0f);
    EXPECT_NEAR(std::sqrt(a * a + b * b), 5.0f, 1e-5f);
}

TEST(Vecmath, LocalToWorldForwardFollowsPitchAndHeadingWhateverTheRoll) {
    for (float roll : {0.0f, 0.7f, -2.5f}) {
        Vec3 v{0.0f, 0.0f, 1.0f};
        rotateLocalToWorld(v, roll, 0.5f, 1.0f);
        EXPECT_NEAR(v.x, std::cos(0.5) * std::sin(1.0), 1e-6);
        EXPECT_NEAR(v.y, std::sin(0.5), 1e-6);
        EXPECT_NEAR(v.z, std::cos(0.5) * std::cos(1.0), 1e-6);
    }
    Vec3 up{0.0f, 1.0f, 0.0f};
    rotateLocalToWorld(up, 0.3f, 0.0f, 0.0f);
    EXPECT_NEAR(up.x, std::sin(0.3), 1e-6);
    EXPECT_NEAR(up.y, std::cos(0.3), 1e-6);
    EXPECT_NEAR(up.z, 0.0f, 1e-6);
}

TEST(Vecmath, WorldToLocalWithNegatedAnglesUndoesLocalToWorld) {
    const Vec3 original{0.3f, -1.2f, 2.5f};
    Vec3 v = original;
    rotateLocalToWorld(v, 0.4f, -0.9f, 2.2f);
    rotateWorldToLocal(v, -2.2f, 0.9f, -0.4f);
    EXPECT_NEAR(v.x, original.x, 1e-5);
    EXPECT_NEAR(v.y, original.y, 1e-5);
    EXPECT_NEAR(v.z, original.z, 1e-5);
}

TEST(Vecmath, WrapAngleStepsByTheGamesFullTurn) {
    float a = PI;
    wrapAngle(a);
    EXPECT_EQ(a, PI);
    a = -PI;
    wrapAngle(a);
    EXPECT_EQ(a, -PI);
    a = 3.2f;
    wrapAngle(a);
    EXPECT_EQ(a, static_cast<float>(3.2f - 6.283184));
    a = 20.0f;
    wrapAngle(a);
    float expected = 20.0f;
    for (int i = 0; i < 3; ++i) expected = static_cast<float>(expected - 6.283184);
    EXPECT_EQ(a, expected);
}

TEST(Vecmath, WrapAngleTerminatesOnHugeAndNonFiniteValues) {
    float a = 1e30f;
    wrapAngle(a);
    EXPECT_LE(absolute(a), PI);
    a = INFINITY;
    wrapAngle(a);
    EXPECT_TRUE(std::isinf(a));
    a = NAN;
    wrapAngle(a);
    EXPECT_TRUE(std::isnan(a));
}

TEST(Vecmath, AbsoluteNormalizeAndAngleBetween) {
    EXPECT_EQ(absolute(-0.5f), 0.5f);
    EXPECT_EQ(absolute(0.0f), 0.0f);

    Vec3 v{3.0f, 0.0f, 4.0f};
    normalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    Vec3 zero{0.0f, 0.0f, 0.0f};
    normalize(zero);
    EXPECT_EQ(zero.x, 0.0f);  // left as it is rather than turned into NaN

    const Vec3 up{0.0f, 1.0f, 0.0f};
    EXPECT_FLOAT_EQ(angleBetween(up, Vec3{1.0f, 0.0f, 0.0f}), static_cast<float>(std::acos(0.0)));
    // A dot product a rounding step beyond 1 still gives an angle, not NaN.
    EXPECT_EQ(angleBetween(Vec3{1.0000001f, 0.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f}), 0.0f);
}
