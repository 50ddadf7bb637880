// Visual effect particles: smoke, fire, flashes and sun glare. They never touch anything;
// they only move, turn, grow, darken and fade along what they were spawned with.
#pragma once

#include "world/world.h"

namespace vantrel {

// Effect kinds are texture indices.
enum EffectKind : uint8_t { EFFECT_FIRE = 1, EFFECT_SMOKE = 2, EFFECT_FLASH = 3, EFFECT_GLARE = 6 };

// Copies the recipe into the first free slot at (x, y, z); dropped when all 100 are live.
void spawnEffect(World& w, float x, float y, float z, const EffectRecipe& recipe);

// Ages every live effect by one tick; shade and alpha wrap modulo 256.
void updateEffects(World& w);

// The recipes of the fight. Sizes and speeds in world units (per tick), steps per tick,
// life in ticks. A recipe whose spin is random gets it at the spawn site.

// Aircraft update.
constexpr EffectRecipe DamageSmoke{.size = 0.3f,
                                   .shade = 200,
                                   .alpha = 150,
                                   .vy = 0.05f,
                                   .growth = 0.01f,
                                   .shadeStep = 1,
                                   .alphaStep = -5,
                                   .life = 30,
                                   .kind = EFFECT_SMOKE};
constexpr EffectRecipe ContactSmoke{.size = 0.5f,
                                    .shade = 0,
                                    .alpha = 120,
                                    .vy = 0.05f,
                                    .growth = 0.02f,
                                    .shadeStep = 0,
                                    .alphaStep = -4,
                                    .life = 30,
                                    .kind = EFFECT_SMOKE};
constexpr EffectRecipe AircraftExplosion{.size = 0.8f,
                                         .shade = 0,
                                         .alpha = 255,
                                         .vy = 0.04f,
                                         .growth = 0.03f,
                                         .shadeStep = 6,
                                         .alphaStep = -6,
                                         .life = 40,
                                         .kind = EFFECT_FIRE};

// Projectiles in flight and at their end.
constexpr EffectRecipe RocketSmoke{.size = 0.3f,
                                   .shade = 0,
                                   .alpha = 120,
                                   .vy = 0.05f,
                                   .growth = 0.02f,
                                   .shadeStep = 0,
                                   .alphaStep = -8,
                                   .life = 15,
                                   .kind = EFFECT_SMOKE};
constexpr EffectRecipe MissileSmoke{.size = 0.3f,
                                    .shade = 0,
                                    .alpha = 120,
                                    .vy = 0.05f,
                                    .growth = 0.03f,
                                    .shadeStep = 0,
                                    .alphaStep = -8,
                                    .life = 15,
                                    .kind = EFFECT_SMOKE};
constexpr EffectRecipe MissileFlame{.size = 0.4f,
                                    .shade = 0,
                                    .alpha = 100,
                                    .vy = 0.0f,
                                    .growth = 0.0f,
                                    .shadeStep = 0,
                                    .alphaStep = 0,
                                    .life = 1,
                                    .kind = EFFECT_FLASH};
constexpr EffectRecipe HitExplosion{.size = 0.1f,
                                    .shade = 0,
                                    .alpha = 255,
                                    .vy = 0.03f,
                                    .growth = 0.01f,
                                    .shadeStep = 7,
                                    .alphaStep = -7,
                                    .life = 30,
                                    .kind = EFFECT_FIRE};
constexpr EffectRecipe ShotImpact{.size = 0.2f,
                                  .shade = 0,
                                  .alpha = 120,
                                  .vy = 0.05f,
                                  .growth = 0.01f,
                                  .shadeStep = 0,
                                  .alphaStep = -6,
                                  .life = 20,
                                  .kind = EFFECT_SMOKE};
constexpr EffectRecipe RocketImpact{.size = 0.4f,
                                    .shade = 0,
                                    .alpha = 255,
                                    .vy = 0.01f,
                                    .growth = 0.03f,
                                    .shadeStep = 12,
                                    .alphaStep = -12,
                                    .life = 20,
                                    .kind = EFFECT_FIRE};
constexpr EffectRecipe MissileImpact{.size = 0.5f,
                                     .shade = 0,
                                     .alpha = 255,
                                     .vy = 0.01f,
                                     .growth = 0.05f,
                                     .shadeStep = 10,
                                     .alphaStep = -10,
                                     .life = 25,
                                     .kind = EFFECT_FIRE};

// Weapon release; the rearward burst of launcher kind 4 uses the larger variants.
constexpr EffectRecipe MuzzleFlash{.size = 0.1f,
                                   .shade = 0,
                                   .alpha = 200,
                                   .vy = 0.0f,
                                   .growth = 0.0f,
                                   .shadeStep = 0,
                                   .alphaStep = 0,
                                   .life = 1,
                                   .kind = EFFECT_FLASH};
constexpr EffectRecipe GunSmoke{.size = 0.1f,
                                .shade = 0,
                                .alpha = 64,
                                .vy = 0.03f,
                                .growth = 0.0f,
                                .shadeStep = 0,
                                .alphaStep = -8,
                                .life = 8,
                                .kind = EFFECT_SMOKE};
constexpr EffectRecipe LaunchSmoke{.size = 0.1f,
                                   .shade = 0,
                                   .alpha = 60,
                                   .vy = 0.03f,
                                   .growth = 0.0f,
                                   .shadeStep = 0,
                                   .alphaStep = -6,
                                   .life = 10,
                                   .kind = EFFECT_SMOKE};
constexpr EffectRecipe RearBurstFlash{.size = 0.2f,
                                      .shade = 0,
                                      .alpha = 200,
                                      .vy = 0.0f,
                                      .growth = 0.0f,
                                      .shadeStep = 0,
                                      .alphaStep = 0,
                                      .life = 1,
                                      .kind = EFFECT_FLASH};
constexpr EffectRecipe RearBurstSmoke{.size = 0.2f,
                                      .shade = 0,
                                      .alpha = 60,
                                      .vy = 0.03f,
                                      .growth = 0.0f,
                                      .shadeStep = 0,
                                      .alphaStep = -6,
                                      .life = 10,
                                      .kind = EFFECT_SMOKE};

// The recipe turned by spin radians, for the flashes and flames spawned at a random angle.
constexpr EffectRecipe withSpin(EffectRecipe recipe, float spin) {
    recipe.spin = spin;
    return recipe;
}

}  // namespace vantrel
