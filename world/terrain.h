// The terrain height grid: 100 x 100 samples, 8 world units apart, 0.15 units per step.
#pragma once

#include <string>

#include "world/world.h"

namespace vantrel {

constexpr float GRID_CELL = 8.0f;
constexpr float GRID_ORIGIN = -400.0f;  // world x and z of sample 0
constexpr double GRID_HEIGHT_SCALE = 0.15;
constexpr int GRID_LAST_CELL = GRID_SIZE - 2;  // cells 0..98; sample 99 is only a far corner

// Reads up to 10000 bytes of the file into the grid; samples past a short file keep their
// values. Returns false, leaving the grid untouched, when the file cannot be opened.
bool loadHeightmap(World& w, const std::string& path);

// (p1 - p2) x (p0 - p1), not normalized.
Vec3 triangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2);

// Height of the terrain surface under world point (x, z): the plane of the containing
// triangle of its cell. Points outside the grid use the nearest edge cell's plane.
float groundHeight(const World& w, float x, float z);

inline float sampleHeight(const World& w, int c, int r) {
    return static_cast<float>(w.heightmap[r * GRID_SIZE + c] * GRID_HEIGHT_SCALE);
}

}  // namespace vantrel
