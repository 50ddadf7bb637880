#include <gtest/gtest.h>

#include <vector>

#include "fixtures.h"
#include "sim/effects.h"

using namespace vantrel;

namespace {

// The alpha and shade an effect is drawn with: its spawn values, then after each update
// while it stays live.
struct Look {
    int alpha, shade;
};

std::vector<Look> drawnLooks(const EffectRecipe& recipe) {
    auto w = test::makeWorld();
    spawnEffect(*w, 0.0f, 0.0f, 0.0f, recipe);
    std::vector<Look> looks;
    while (w->effects[0].life != 0) {
        looks.push_back({w->effects[0].alpha, w->effects[0].shade});
        updateEffects(*w);
    }
    return looks;
}

}  // namespace

TEST(Effects, TheHundredFirstEffectIsDropped) {
    auto w = test::makeWorld();
    for (int i = 0; i < MAX_EFFECTS; ++i) spawnEffect(*w, static_cast<float>(i), 0.0f, 0.0f, DamageSmoke);
    const World before = *w;
    spawnEffect(*w, -1.0f, -1.0f, -1.0f, AircraftExplosion);
    EXPECT_EQ(hashWorld(*w), hashWorld(before));
    w->effects[42].life = 0;
    spawnEffect(*w, -1.0f, -2.0f, -3.0f, AircraftExplosion);
    EXPECT_EQ(w->effects[42].y, -2.0f);
    EXPECT_EQ(w->effects[42].life, 40);
}

TEST(Effects, OneTickEffectIsFreedByTheNextUpdate) {
    auto w = test::makeWorld();
    spawnEffect(*w, 1.0f, 2.0f, 3.0f, withSpin(MuzzleFlash, 0.5f));
    EXPECT_EQ(w->effects[0].spin, 0.5f);
    EXPECT_EQ(w->effects[0].life, 1);
    updateEffects(*w);
    EXPECT_EQ(w->effects[0].life, 0);
}

TEST(Effects, SmokeFadesToNothingExactlyAsItsLifeEnds) {
    const std::vector<Look> rocket = drawnLooks(RocketSmoke);
    ASSERT_EQ(rocket.size(), 15u);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(rocket[i].alpha, 120 - 8 * i);
    EXPECT_EQ(rocket.back().alpha, 8);

    const std::vector<Look> damage = drawnLooks(DamageSmoke);
    ASSERT_EQ(damage.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(damage[i].alpha, 150 - 5 * i);
        EXPECT_EQ(damage[i].shade, 200 + i);
    }
}

TEST(Effects, ExplosionsDarkenAndStopShortOfTransparent) {
    auto w = test::makeWorld();
    spawnEffect(*w, 0.0f, 10.0f, 0.0f, AircraftExplosion);
    for (int t = 0; t < 40; ++t) updateEffects(*w);
    const Effect& e = w->effects[0];
    EXPECT_EQ(e.life, 0);
    EXPECT_EQ(e.alpha, 15);
    EXPECT_EQ(e.shade, 240);
    EXPECT_NEAR(e.y, 10.0 + 40 * 0.04, 1e-4);
    EXPECT_NEAR(e.size, 0.8 + 40 * 0.03, 1e-4);

    const std::vector<Look> impact = drawnLooks(RocketImpact);
    ASSERT_EQ(impact.size(), 20u);
    EXPECT_EQ(impact.back().alpha, 255 - 12 * 19);
    EXPECT_EQ(impact.back().shade, 12 * 19);
}

TEST(Effects, ShadeAndAlphaWrapModulo256) {
    auto w = test::makeWorld();
    EffectRecipe r = ContactSmoke;
    r.shade = 250;
    r.shadeStep = 10;
    r.alpha = 3;
    r.alphaStep = -8;
    spawnEffect(*w, 0.0f, 0.0f, 0.0f, r);
    updateEffects(*w);
    EXPECT_EQ(w->effects[0].shade, 4);
    EXPECT_EQ(w->effects[0].alpha, 251);
}

TEST(Effects, EverlastingEffectIsNeverFreedByAgeing) {
    auto w = test::makeWorld();
    EffectRecipe r = MissileFlame;
    r.life = -1;
    r.vx = 0.5f;
    r.spinRate = 0.25f;
    spawnEffect(*w, 0.0f, 0.0f, 0.0f, r);
    for (int t = 0; t < 300; ++t) updateEffects(*w);
    EXPECT_EQ(w->effects[0].life, -1);
    EXPECT_FLOAT_EQ(w->effects[0].x, 150.0f);
    EXPECT_FLOAT_EQ(w->effects[0].spin, 75.0f);
}
