#include <gtest/gtest.h>

#include <vector>

#include "fixtures.h"
#include "sim/effects.h"

using namespace vantrel;

namespace {

// The alpha and shade an effect of the recipe is drawn with: its spawn values, then after
// each update while it stays live.
std::vector<std::pair<int, int>> drawnLooks(const EffectRecipe& recipe) {
    auto w = test::makeWorld();
    spawnEffect(*w, 0.0f, 0.0f, 0.0f, recipe);
    std::vector<std::pair<int, int>> looks;
    for (int guard = 0; w->effects[0].life != 0 && guard < 200; ++guard) {
        looks.emplace_back(w->effects[0].alpha, w->effects[0].shade);
        updateEffects(*w);
    }
    return looks;
}

}  // namespace

TEST(Effects, TheHundredFirstEffectIsDroppedAndAFreedSlotIsReused) {
    auto w = test::makeWorld();
    for (int i = 0; i < MAX_EFFECTS; ++i) {
        spawnEffect(*w, static_cast<float>(i), 0.0f, 0.0f, DamageSmoke);
    }
    const World before = *w;
    spawnEffect(*w, -1.0f, -1.0f, -1.0f, AircraftExplosion);
    EXPECT_EQ(hashWorld(*w), hashWorld(before));
    w->effects[42].life = 0;
    spawnEffect(*w, -1.0f, -2.0f, -3.0f, withSpin(MuzzleFlash, 0.5f));
    EXPECT_EQ(w->effects[42].y, -2.0f);
    EXPECT_EQ(w->effects[42].spin, 0.5f);
    updateEffects(*w);
    EXPECT_EQ(w->effects[42].life, 0) << "a one-tick effect is freed by the next update";
}

TEST(Effects, SmokeFadesToNothingExactlyAsItsLifeEnds) {
    const auto rocket = drawnLooks(RocketSmoke);
    ASSERT_EQ(rocket.size(), 15u);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(rocket[i].first, 120 - 8 * i);
    const auto damage = drawnLooks(DamageSmoke);
    ASSERT_EQ(damage.size(), 30u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(damage[i], std::make_pair(150 - 5 * i, 200 + i));
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
    const auto impact = drawnLooks(RocketImpact);
    ASSERT_EQ(impact.size(), 20u);
    EXPECT_EQ(impact.back(), std::make_pair(255 - 12 * 19, 12 * 19));
}

TEST(Effects, ShadeAndAlphaWrapAndEverlastingEffectsStay) {
    auto w = test::makeWorld();
    EffectRecipe r = ContactSmoke;
    r.shade = 250;
    r.shadeStep = 10;
    r.alpha = 3;
    r.alphaStep = -8;
    r.life = -1;
    r.spinRate = 0.25f;
    spawnEffect(*w, 0.0f, 0.0f, 0.0f, r);
    updateEffects(*w);
    EXPECT_EQ(w->effects[0].shade, 4);
    EXPECT_EQ(w->effects[0].alpha, 251);
    for (int t = 1; t < 300; ++t) updateEffects(*w);
    EXPECT_EQ(w->effects[0].life, -1);
    EXPECT_FLOAT_EQ(w->effects[0].spin, 75.0f);
}
