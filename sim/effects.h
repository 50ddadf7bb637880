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

}  // namespace vantrel
