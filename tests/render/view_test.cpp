#include "render/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/core/fixtures.h"

namespace vantrel::render {
namespace {

constexpr float NEAR = 1e-4f;

Vec3 inView(const World& w, float dx, float dy, float dz) {
    const Vec3& e = w.seats[PLAYER_SEAT].cameraPos;
    return transformCoord(Vec3{e.x + dx, e.y + dy, e.z + dz}, viewMatrix(w));
}

TEST(View, LevelCameraLooksAlongPlusZWithYUp) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {3.0f, 10.0f, -7.0f};
    const Vec3 ahead = inView(*w, 0.0f, 0.0f, 5.0f);
    EXPECT_NEAR(ahead.x, 0.0f, NEAR);
    EXPECT_NEAR(ahead.y, 0.0f, NEAR);
    EXPECT_NEAR(ahead.z, 5.0f, NEAR);
    const Vec3 right = inView(*w, 2.0f, 1.0f, 5.0f);
    EXPECT_NEAR(right.x, 2.0f, NEAR);
    EXPECT_NEAR(right.y, 1.0f, NEAR);
}

TEST(View, HeadingQuarterTurnLooksAlongPlusXWithMinusZOnTheRight) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraHeading = PI / 2;
    const Vec3 ahead = inView(*w, 4.0f, 0.0f, 0.0f);
    EXPECT_NEAR(ahead.z, 4.0f, NEAR);
    EXPECT_NEAR(ahead.x, 0.0f, NEAR);
    const Vec3 side = inView(*w, 4.0f, 0.0f, -1.0f);
    EXPECT_NEAR(side.x, 1.0f, NEAR);
}

TEST(View, PitchUpLooksAboveTheHorizon) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPitch = 30.0f * DEG;
    const Vec3 p = inView(*w, 0.0f, std::sin(30.0 * DEG), std::cos(30.0 * DEG));
    EXPECT_NEAR(p.x, 0.0f, NEAR);
    EXPECT_NEAR(p.y, 0.0f, NEAR);
    EXPECT_NEAR(p.z, 1.0f, NEAR);
}

// Banking right (roll turning the up axis toward +x) turns the world the other way on screen:
// a point straight above the eye, ahead, appears left of the centre line.
TEST(View, RollRightTiltsTheWorldLeft) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraRoll = 20.0f * DEG;
    const Vec3 above = inView(*w, 0.0f, 1.0f, 5.0f);
    EXPECT_LT(above.x, -0.3f);
    EXPECT_NEAR(above.x, -std::sin(20.0 * DEG), NEAR);
    EXPECT_NEAR(above.y, std::cos(20.0 * DEG), NEAR);
}

TEST(View, ProjectionSpansTheFieldOfViewAndDepthRange) {
    const Matrix p = projectionMatrix();
    const double halfHeight = std::tan(FIELD_OF_VIEW / 2.0);
    const Vec3 top = transformCoord(Vec3{0.0f, static_cast<float>(10 * halfHeight), 10.0f}, p);
    EXPECT_NEAR(top.y, 1.0f, NEAR);
    const Vec3 right = transformCoord(Vec3{static_cast<float>(10 * halfHeight * 4.0 / 3.0), 0.0f, 10.0f}, p);
    EXPECT_NEAR(right.x, 1.0f, NEAR);
    EXPECT_NEAR(transformCoord(Vec3{0.0f, 0.0f, NEAR_PLANE}, p).z, 0.0f, NEAR);
    EXPECT_NEAR(transformCoord(Vec3{0.0f, 0.0f, FAR_PLANE}, p).z, 1.0f, NEAR);
}

TEST(View, WiderPictureSeesMoreToTheSidesAndTheSameHeight) {
    const Matrix wide = projectionMatrix(16.0f / 9.0f);
    const double halfHeight = std::tan(FIELD_OF_VIEW / 2.0);
    const Vec3 top = transformCoord(Vec3{0.0f, static_cast<float>(10 * halfHeight), 10.0f}, wide);
    EXPECT_NEAR(top.y, 1.0f, NEAR) << "the vertical field is kept";
    const Vec3 classicEdge = transformCoord(Vec3{static_cast<float>(10 * halfHeight * 4.0 / 3.0), 0.0f, 10.0f}, wide);
    EXPECT_NEAR(classicEdge.x, 0.75f, NEAR) << "the 4:3 edge lies inside, nothing stretched";
    const Vec3 wideEdge = transformCoord(Vec3{static_cast<float>(10 * halfHeight * 16.0 / 9.0), 0.0f, 10.0f}, wide);
    EXPECT_NEAR(wideEdge.x, 1.0f, NEAR);
    const Matrix fourByThree = projectionMatrix(640.0f / 480.0f);
    const Matrix classic = projectionMatrix();
    EXPECT_EQ(std::memcmp(&fourByThree, &classic, sizeof classic), 0) << "640 x 480 is the classic projection";
}

}  // namespace
}  // namespace vantrel::render
