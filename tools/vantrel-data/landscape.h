// The landscape: the height grid and the map texture painted from it.
#pragma once

#include <array>
#include <cstdint>

#include "tools/vantrel-data/image.h"
#include "world/world.h"

namespace vantrel::data {

using HeightGrid = std::array<uint8_t, GRID_SAMPLES>;  // sample (c, r) at r * 100 + c

constexpr int MAP_TEXTURE_SIZE = 1024;
constexpr double WATER_LEVEL = 1.0;  // world units; lower ground is painted as water

// Valley, river, lake, rolling hills in the middle, mountains toward the edges.
HeightGrid makeHeightGrid();

// Top row is z = -400, columns run along x; the whole grid maps onto the image once.
Image paintMapTexture(const HeightGrid& grid);

}  // namespace vantrel::data
