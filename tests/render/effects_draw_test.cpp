#include "render/effects_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/frame.h"
#include "render/view.h"
#include "render_fixture.h"
#include "sim/vecmath.h"
#include "tests/core/fixtures.h"

namespace vantrel::render {
namespace {

void placeEffect(World& w, int slot, float x, float y, float z) {
    Effect& e = w.effects[slot];
    e.x = x;
    e.y = y;
    e.z = z;
    e.life = -1;
    e.kind = 2;
    e.size = 1.0f;
}

int positionOf(const EffectOrder& order, int slot) {
    return static_cast<int>(std::find(order.begin(), order.end(), slot) - order.begin());
}

bool isPermutation(const EffectOrder& order) {
    EffectOrder sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < MAX_EFFECTS; ++k) {
        if (sorted[k] != k) return false;
    }
    return true;
}

TEST(EffectsDraw, SortsFarthestFirstAlongTheViewAxis) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {5.0f, 10.0f, 5.0f};
    w->seats[PLAYER_SEAT].cameraHeading = PI / 2;  // looking along +x
    placeEffect(*w, 3, 25.0f, 10.0f, 5.0f);
    placeEffect(*w, 7, 45.0f, 10.0f, 5.0f);
    placeEffect(*w, 9, 15.0f, 10.0f, 40.0f);  // far to the side, but nearest in depth
    const EffectOrder order = sortEffects(*w);
    EXPECT_TRUE(isPermutation(order));
    EXPECT_EQ(order[0], 7);
    EXPECT_EQ(order[1], 3);
    EXPECT_LT(positionOf(order, 3), positionOf(order, 9));
}

TEST(EffectsDraw, EqualDepthsGoInSlotOrder) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {0.0f, 0.0f, 0.0f};
    placeEffect(*w, 40, 3.0f, 0.0f, 20.0f);
    placeEffect(*w, 12, -3.0f, 2.0f, 20.0f);
    const EffectOrder order = sortEffects(*w);
    EXPECT_EQ(order[0], 12);
    EXPECT_EQ(order[1], 40);
    // The free slots all sit at the eye, depth 0, so they follow in ascending order.
    for (int n = 3; n < MAX_EFFECTS; ++n) EXPECT_LT(order[n - 1], order[n]);
}

TEST(EffectsDraw, EffectsFarBehindAreListedExactlyOnceAndLast) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {0.0f, 0.0f, 0.0f};
    placeEffect(*w, 0, 0.0f, 0.0f, -2000.0f);
    placeEffect(*w, 1, 0.0f, 0.0f, -1001.0f);
    placeEffect(*w, 50, 0.0f, 0.0f, -5000.0f);
    const EffectOrder order = sortEffects(*w);
    EXPECT_TRUE(isPermutation(order));
    EXPECT_EQ(order[97], 1);
    EXPECT_EQ(order[98], 0);
    EXPECT_EQ(order[99], 50);
}

TEST(EffectsDraw, BrokenPositionsStillGiveEverySlotOnce) {
    auto w = test::makeWorld();
    placeEffect(*w, 5, std::nanf(""), 0.0f, 1.0f);
    placeEffect(*w, 6, 0.0f, 0.0f, INFINITY);
    placeEffect(*w, 7, 0.0f, 0.0f, -INFINITY);
    EXPECT_TRUE(isPermutation(sortEffects(*w)));
}

// The square faces the camera: its normal runs along the view axis, its corners sit at the
// effect's size around the centre.
TEST(EffectsDraw, SquareFacesTheCamera) {
    struct Camera {
        float pitch, heading, roll;
    };
    for (const Camera c : {Camera{0.0f, 0.0f, 0.0f}, Camera{0.5f, 2.0f, -0.4f}, Camera{-1.3f, -0.8f, 2.5f}}) {
        auto w = test::makeWorld();
        w->seats[PLAYER_SEAT].cameraPos = {1.0f, 2.0f, 3.0f};
        w->seats[PLAYER_SEAT].cameraPitch = c.pitch;
        w->seats[PLAYER_SEAT].cameraHeading = c.heading;
        w->seats[PLAYER_SEAT].cameraRoll = c.roll;
        Effect e{};
        e.x = 4.0f;
        e.y = -1.0f;
        e.z = 6.0f;
        e.spin = 0.9f;
        const Matrix view = viewMatrix(*w);
        const Matrix toView = effectWorldMatrix(*w, e) * view;
        const Vec3 centre = transformCoord(Vec3{0.0f, 0.0f, 0.0f}, toView);
        for (Vec3 corner : {Vec3{-2.0f, 2.0f, 0.0f}, Vec3{2.0f, -2.0f, 0.0f}, Vec3{2.0f, 2.0f, 0.0f}}) {
            const Vec3 p = transformCoord(corner, toView);
            EXPECT_NEAR(p.z, centre.z, 1e-3f);  // in a plane square to the line of sight
            EXPECT_NEAR(std::hypot(p.x - centre.x, p.y - centre.y), std::sqrt(8.0f), 1e-3f);
        }
    }
}

TEST(EffectsDraw, SpinTurnsTheSquareInItsPlane) {
    auto w = test::makeWorld();
    Effect e{};
    e.z = 10.0f;
    const Matrix view = viewMatrix(*w);
    const Vec3 still = transformCoord(Vec3{1.0f, 0.0f, 0.0f}, effectWorldMatrix(*w, e) * view);
    e.spin = PI / 2;
    const Vec3 turned = transformCoord(Vec3{1.0f, 0.0f, 0.0f}, effectWorldMatrix(*w, e) * view);
    EXPECT_NEAR(still.x * turned.x + still.y * turned.y, 0.0f, 1e-4f);
    EXPECT_NEAR(turned.z, 10.0f, 1e-4f);
}

TEST(EffectsDraw, ColourFromShadeAndAlpha) {
    Effect e{};
    e.shade = 255;
    e.alpha = 200;
    EXPECT_EQ(effectColour(e), 0xC8000000u);
    e.shade = 0;
    e.alpha = 0;
    EXPECT_EQ(effectColour(e), 0x00FFFFFFu);
    e.shade = 100;
    e.alpha = 255;
    EXPECT_EQ(effectColour(e), 0xFF9B9B9Bu);
}

TEST(EffectsDraw, OnlyKindsOfTheTextureTableDraw) {
    EXPECT_TRUE(drawableKind(0));
    EXPECT_TRUE(drawableKind(17));
    EXPECT_FALSE(drawableKind(18));
    EXPECT_FALSE(drawableKind(255));
}

// --- Drawn pictures: the camera at the origin looking along +z, textures all white -----------

constexpr uint32_t CLEAR = 0xFF1464FF;

class EffectsRender : public test::RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        world_ = test::makeWorld();
    }

    Effect& square(int slot, float z, uint8_t shade, uint8_t alpha) {
        placeEffect(*world_, slot, 0.0f, 0.0f, z);
        Effect& e = world_->effects[slot];
        e.shade = shade;
        e.alpha = alpha;
        return e;
    }

    uint32_t centreAfterDrawing() {
        render::renderFrame(device(), *world_);  // mode 0: clear, projection and view only
        drawEffects(device(), *world_);
        return test::pixelAt(frame(), 320, 240);
    }

    std::unique_ptr<World> world_;
};

// Half-transparent black in front of opaque white: only a back-to-front order shows the white
// through; drawn the other way, the depth test would keep the white out entirely.
TEST_F(EffectsRender, FartherEffectsAreDrawnFirst) {
    square(0, 5.0f, 255, 128);
    square(1, 9.0f, 0, 255);
    const uint32_t c = centreAfterDrawing();
    EXPECT_NEAR(test::redOf(c), 127, 2);
    EXPECT_NEAR(test::blueOf(c), 127, 2);
}

// Two half-transparent squares at the same depth: white (slot 0) then black (slot 1) leaves a
// quarter of the white and of the clear colour; the other order would leave half the white.
TEST_F(EffectsRender, EqualDepthDrawsTheLowerSlotFirst) {
    square(0, 6.0f, 0, 128);
    square(1, 6.0f, 255, 128);
    const uint32_t whiteFirst = centreAfterDrawing();
    EXPECT_NEAR(test::redOf(whiteFirst), (255 + 20) / 4, 3);

    square(0, 6.0f, 255, 128);
    square(1, 6.0f, 0, 128);
    const uint32_t blackFirst = centreAfterDrawing();
    EXPECT_NEAR(test::redOf(blackFirst), (255 + 10) / 2, 3);
}

TEST_F(EffectsRender, ShadeDarkensAndAlphaZeroIsInvisible) {
    square(0, 6.0f, 255, 255);
    EXPECT_EQ(centreAfterDrawing() & 0xFFFFFF, 0u);

    square(0, 6.0f, 0, 0);
    EXPECT_EQ(centreAfterDrawing(), CLEAR);
}

TEST_F(EffectsRender, FreeSlotsAndUnknownKindsDrawNothing) {
    Effect& e = square(4, 6.0f, 255, 255);
    e.life = 0;
    EXPECT_EQ(centreAfterDrawing(), CLEAR);
    e.life = 1;
    e.kind = 18;
    EXPECT_EQ(centreAfterDrawing(), CLEAR);
    e.kind = 17;
    EXPECT_EQ(centreAfterDrawing() & 0xFFFFFF, 0u);
}

}  // namespace
}  // namespace vantrel::render
