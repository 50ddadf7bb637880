// The last two world passes of a mission frame: projectiles as small meshes, then effects as
// camera-facing squares, farthest first so their transparency blends. Both are drawn unlit.
#pragma once

#include <array>

#include "render/device.h"
#include "render/matrices.h"
#include "world/world.h"

namespace vantrel::render {

constexpr float PROJECTILE_SCALE = 0.1f;
// Keeps the sort key of every effect less than 1001 units behind the camera above zero - 1.
constexpr float EFFECT_DEPTH_OFFSET = 1000.0f;

// Effect slots in drawing order, farthest first; rebuilt every time effects are drawn.
using EffectOrder = std::array<int, MAX_EFFECTS>;

void drawProjectiles(Device& device, const World& w);

// Every slot, free or not, exactly once, by view depth from the farthest; equal depths in
// ascending slot order.
EffectOrder sortEffects(const World& w);

// The world matrix of an effect's square: facing the camera, turned in its plane by the camera
// roll and the effect's spin.
Matrix effectWorldMatrix(const World& w, const Effect& e);
// Red, green and blue 255 - shade, alpha as stored.
uint32_t effectColour(const Effect& e);
// True when kind names a texture of the table; any other kind draws nothing.
bool drawableKind(int kind);

void drawEffects(Device& device, const World& w);

}  // namespace vantrel::render
