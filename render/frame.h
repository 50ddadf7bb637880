// One frame of the game: the picture fitted to the window, clear, per-frame states, projection,
// view, and the scene of the current game mode. Reads the world, never writes it.
#pragma once

#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

void renderFrame(Device& device, const World& w);
// The camera and the world's passes from scene (a World blended between two ticks), the
// head-up display, title and menu from latest, the World of the last tick.
void renderFrame(Device& device, const World& scene, const World& latest);

}  // namespace vantrel::render
