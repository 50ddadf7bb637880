// The drawing side's World between two ticks: frames follow the display while the simulation
// keeps its 30 ms ticks, so a frame drawn part of the way into a tick shows positions and
// angles blended between the World before that tick and the World after it.
#pragma once

#include "world/world.h"

namespace vantrel::render {

// Fills out with latest, its positions and angles moved back toward before: fraction 0 is
// before, 1 is latest (out is then latest byte for byte), values outside 0..1 are clamped.
// Angles turn the short way round. Aircraft, projectile and effect slots that are not the same
// thing in both Worlds (free, reused, of another kind), and every slot when the two are not
// consecutive ticks of one run of a game mode, are drawn as they are in latest. Only what is
// drawn is blended: the head-up display keeps reading latest.
void blendWorlds(const World& before, const World& latest, float fraction, World& out);

// a + (b - a) f with b - a taken the short way round the circle.
float blendAngle(float a, float b, float fraction);

}  // namespace vantrel::render
