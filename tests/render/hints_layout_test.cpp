#include "render/hints_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game/flow.h"
#include "render/view.h"
#include "render_fixture.h"
#include "sim/flight.h"

namespace vantrel::render {
namespace {

constexpr DesignExtent FOUR_BY_THREE = {0.0f, 0.0f, 640.0f, 480.0f};

// The player (slot 0, side 1) at the origin, height 20, flying toward +z, with the camera in its
// cockpit looking the same way.
std::unique_ptr<World> cockpitWorld() {
    auto w = test::playerMissionWorld();
    w->seats[PLAYER_SEAT].cameraPos = Vec3{0.0f, 20.0f, 0.0f};
    return w;
}

void place(World& w, int slot, float x, float y, float z, int side = 2) {
    Aircraft& a = w.aircraft[slot];
    a.x = x;
    a.y = y;
    a.z = z;
    a.side = static_cast<int8_t>(side);
}

// The pointer for one enemy in slot 1, where the test's cases put it relative to the player.
struct Case {
    const char* where;
    Vec3 offset;
    bool inView;
    float x, y;       // the arrow's tip, where it is pinned; NAN where it depends on the angle
    float direction;  // radians clockwise from straight up
};

TEST(HintsLayout, ThePointerTurnsTheWayToTheEnemyOnEverySideAndBehind) {
    constexpr float UP = 0.0f, RIGHT = HALF_PI, DOWN = PI, LEFT = -HALF_PI;
    const Case cases[] = {
        {"far ahead, beyond the radar", {0.0f, 0.0f, 300.0f}, true, 320.0f, 240.0f, DOWN},
        {"to the right", {300.0f, 0.0f, 0.0f}, false, 604.0f, 240.0f, RIGHT},
        {"to the left", {-300.0f, 0.0f, 0.0f}, false, 36.0f, 240.0f, LEFT},
        {"above", {0.0f, 300.0f, 1.0f}, false, 320.0f, 56.0f, UP},
        {"straight behind", {0.0f, 0.0f, -300.0f}, false, 320.0f, 404.0f, DOWN},
        {"close behind, on the radar", {0.0f, 0.0f, -30.0f}, false, 320.0f, 404.0f, DOWN},
        {"behind and to the right", {100.0f, 0.0f, -300.0f}, false, 604.0f, 240.0f, RIGHT},
        {"behind, left and above", {-100.0f, 100.0f, -300.0f}, false, 320.0f - 184.0f, 56.0f, -PI / 4.0f},
    };
    for (const Case& c : cases) {
        auto w = cockpitWorld();
        place(*w, 1, c.offset.x, 20.0f + c.offset.y, c.offset.z);
        const std::optional<EnemyPointer> p = enemyPointer(*w, FOUR_BY_THREE);
        ASSERT_TRUE(p.has_value()) << c.where;
        EXPECT_EQ(p->inView, c.inView) << c.where;
        EXPECT_NEAR(p->at.x, c.x, 0.5) << c.where;
        EXPECT_NEAR(p->at.y, c.y, 0.5) << c.where;
        EXPECT_NEAR(std::remainder(p->direction - c.direction, 2 * PI), 0.0, 1e-3) << c.where;
        const double distance = std::sqrt(c.offset.x * c.offset.x + c.offset.y * c.offset.y + c.offset.z * c.offset.z);
        EXPECT_EQ(p->distance, static_cast<int>(distance)) << c.where;
    }
}

TEST(HintsLayout, ThePointerStaysOffTheRadarOnTheFrame) {
    for (float below = 0.0f; below <= 300.0f; below += 10.0f) {
        auto w = cockpitWorld();
        place(*w, 1, -300.0f, 20.0f - below, -300.0f);  // behind, to the left, lower and lower
        const std::optional<EnemyPointer> p = enemyPointer(*w, FOUR_BY_THREE);
        ASSERT_TRUE(p.has_value());
        EXPECT_GT(std::hypot(p->at.x - RADAR_X, p->at.y - RADAR_Y), RADAR_RADIUS) << below;
        EXPECT_TRUE(std::fabs(p->at.x - 36.0f) < 0.5f || std::fabs(p->at.y - 404.0f) < 0.5f) << below;
    }
}

TEST(HintsLayout, AnEnemyInViewAndOnTheRadarNeedsNoPointer) {
    auto w = cockpitWorld();
    place(*w, 1, 10.0f, 22.0f, 60.0f);
    EXPECT_FALSE(enemyPointer(*w, FOUR_BY_THREE).has_value()) << "75 units reach the rim of the short radar";
    place(*w, 1, 10.0f, 22.0f, 120.0f);
    EXPECT_TRUE(enemyPointer(*w, FOUR_BY_THREE).has_value());
    w->seats[PLAYER_SEAT].radarLong = 1;
    EXPECT_FALSE(enemyPointer(*w, FOUR_BY_THREE).has_value()) << "the long radar reaches 150";
}

TEST(HintsLayout, ThePointerFollowsTheCameraAndTheNearestLiveEnemy) {
    auto w = cockpitWorld();
    place(*w, 1, 0.0f, 20.0f, 400.0f);
    place(*w, 2, 300.0f, 20.0f, 0.0f);
    place(*w, 3, 0.0f, 20.0f, -100.0f, 1);  // a friend, nearer than both
    EXPECT_EQ(nearestEnemy(*w), 2);
    w->seats[PLAYER_SEAT].cameraHeading = HALF_PI;  // looking toward +x: the nearest enemy is straight ahead
    std::optional<EnemyPointer> p = enemyPointer(*w, FOUR_BY_THREE);
    ASSERT_TRUE(p.has_value());
    EXPECT_TRUE(p->inView);
    EXPECT_NEAR(p->at.x, 320.0f, 0.5);
    w->aircraft[2].side = 0;  // shot down: the one ahead of the aircraft is now nearest
    EXPECT_EQ(nearestEnemy(*w), 1);
    p = enemyPointer(*w, FOUR_BY_THREE);
    ASSERT_TRUE(p.has_value());
    EXPECT_FALSE(p->inView) << "it is to the camera's left";
    EXPECT_NEAR(p->at.x, 36.0f, 0.5);
    w->aircraft[0].side = 0;
    EXPECT_FALSE(enemyPointer(*w, FOUR_BY_THREE).has_value()) << "nothing to point for a lost aircraft";
}

// Half the picture's height spans the tangent of half the vertical field of view (30 degrees).
TEST(HintsLayout, ThePointerUsesThePerspectiveTheWorldIsDrawnWith) {
    const float tan30 = static_cast<float>(std::tan(FIELD_OF_VIEW / 2.0));
    auto w = cockpitWorld();
    place(*w, 1, 0.0f, 20.0f + 200.0f * tan30, 200.0f);
    const std::optional<EnemyPointer> top = enemyPointer(*w, FOUR_BY_THREE);
    ASSERT_TRUE(top.has_value());
    EXPECT_FALSE(top->inView) << "at the top of the picture, above the frame the arrow runs along";
    place(*w, 1, 200.0f * tan30 / 2.0f, 20.0f + 200.0f * tan30 / 4.0f, 200.0f);
    const std::optional<EnemyPointer> p = enemyPointer(*w, FOUR_BY_THREE);
    ASSERT_TRUE(p.has_value());
    ASSERT_TRUE(p->inView);
    EXPECT_NEAR(p->at.x, 320.0f + 120.0f, 0.5);
    EXPECT_NEAR(p->at.y, 240.0f - 60.0f, 0.5);
}

TEST(HintsLayout, CautionsForTheEdgeAheadThenForArmorTooLowToKeepSpeed) {
    auto w = cockpitWorld();
    Aircraft& p = w->aircraft[0];
    EXPECT_EQ(cautionLine(*w), "");
    p.x = BOUNDARY - 40.0f;
    p.heading = HALF_PI;  // toward +x
    EXPECT_EQ(cautionLine(*w), "TURN BACK: EDGE OF THE MAP");
    p.heading = -HALF_PI;
    EXPECT_EQ(cautionLine(*w), "") << "flying away from the edge";
    p.x = 0.0f;
    p.z = -BOUNDARY + 10.0f;
    p.heading = PI;  // toward -z
    EXPECT_EQ(cautionLine(*w), "TURN BACK: EDGE OF THE MAP");
    p.z = 0.0f;
    p.armor = DAMAGED_ARMOR + 1;
    EXPECT_EQ(cautionLine(*w), "");
    p.armor = DAMAGED_ARMOR;
    EXPECT_EQ(cautionLine(*w), "ARMOR LOW: LOSING SPEED");
    p.side = 0;
    EXPECT_EQ(cautionLine(*w), "") << "nothing to warn a lost aircraft of";
}

TEST(HintsLayout, TheOwnMapMarkerTurnsWithTheHeading) {
    auto w = cockpitWorld();
    Aircraft& p = w->aircraft[0];
    p.x = 40.0f;
    p.z = 80.0f;  // the map's centre is (320, 240), 4 units a pixel, +z up: (330, 220)
    const auto north = ownMapMarkerCorners(p, 255, 30.0f);
    const auto sprite = spriteCorners(330.0f, 220.0f, 255, 30.0f, CELL_PLAYER_MARKER);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(north[i].x, sprite[i].x, 1e-4);
        EXPECT_NEAR(north[i].y, sprite[i].y, 1e-4);
        EXPECT_EQ(north[i].u, sprite[i].u);
    }
    p.heading = HALF_PI;  // toward +x: the picture's top edge turns to the right
    const auto east = ownMapMarkerCorners(p, 255, 30.0f);
    EXPECT_NEAR(east[0].x, 345.0f, 1e-3) << "the cell's top left corner";
    EXPECT_NEAR(east[0].y, 205.0f, 1e-3);
    EXPECT_NEAR(east[3].x, 345.0f, 1e-3) << "the cell's top right corner";
    EXPECT_NEAR(east[3].y, 235.0f, 1e-3);
}

TEST(HintsLayout, OnceDecidedTheMissionSaysWhyThePlayerWentDownAndHowTheGuardedAircraftFared) {
    auto w = cockpitWorld();
    place(*w, 1, 0.0f, 20.0f, 30.0f);  // an enemy
    place(*w, 2, 0.0f, 20.0f, -30.0f, 1);
    for (int slot = 0; slot < 3; ++slot) w->placedSide[slot] = w->aircraft[slot].side;
    w->guardedSlot = 2;
    w->aircraft[0].side = 0;
    w->lastDamage[0] = {1, DAMAGE_MISSILE};
    EXPECT_EQ(lossLine(*w), "") << "not while the mission runs";
    EXPECT_EQ(guardedLine(*w), "");
    w->flowCounter = END_COUNTDOWN_TICKS;
    EXPECT_EQ(lossLine(*w), "SHOT DOWN BY AN ENEMY MISSILE");
    EXPECT_EQ(guardedLine(*w), "THE AIRCRAFT YOU ESCORTED CAME THROUGH");
    w->lastDamage[0] = {2, DAMAGE_COLLISION};
    w->aircraft[2].side = 0;
    EXPECT_EQ(lossLine(*w), "COLLIDED WITH A FRIENDLY AIRCRAFT");
    EXPECT_EQ(guardedLine(*w), "THE AIRCRAFT YOU ESCORTED WAS LOST");
    w->aircraft[0].side = 1;
    EXPECT_EQ(lossLine(*w), "") << "a player still flying lost nothing";
    w->guardedSlot = -1;
    EXPECT_EQ(guardedLine(*w), "") << "a mission that guards nobody";
}

TEST(HintsLayout, DesignExtentOfAWidePicture) {
    const DesignExtent e = designExtent(pictureLayout(1920, 1080, Presentation::Native));
    EXPECT_NEAR(e.left, -106.67f, 0.01);
    EXPECT_NEAR(e.right, 746.67f, 0.01);
    EXPECT_NEAR(e.top, 0.0f, 1e-4);
    EXPECT_NEAR(e.bottom, 480.0f, 1e-4);
}

}  // namespace
}  // namespace vantrel::render
