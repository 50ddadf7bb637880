// One frame of the game: clear, per-frame states, projection, view, and the scene of the
// current game mode. Reads the world, never writes it.
#pragma once

#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

void renderFrame(Device& device, const World& w);

}  // namespace vantrel::render
