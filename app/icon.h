// The game's icon, drawn in code at any size: a delta-winged jet climbing across a round patch
// of sky. The window uses the 32 x 32 one; the build writes PNGs for the desktop menu.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel {

// size x size pixels, rows top down, 0xAARRGGBB; transparent outside the disc.
std::vector<uint32_t> iconPixels(int size);

}  // namespace vantrel
