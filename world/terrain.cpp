#include "world/terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel {

bool loadHeightmap(World& w, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fread(w.heightmap, 1, sizeof w.heightmap, f);
    std::fclose(f);
    return true;
}

Vec3 triangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const double ax = p1.x - p2.x, ay = p1.y - p2.y, az = p1.z - p2.z;
    const double bx = p0.x - p1.x, by = p0.y - p1.y, bz = p0.z - p1.z;
    return Vec3{static_cast<float>(ay * bz - az * by), static_cast<float>(az * bx - ax * bz),
                static_cast<float>(ax * by - ay * bx)};
}

namespace {

// Cell index of a grid-space coordinate, truncated toward zero like a 16-bit conversion,
// then held inside the cells that have a far corner. A NaN coordinate (a damaged situation
// file) takes cell 0 instead of indexing the grid with an undefined conversion.
int cellIndex(float gridCoordinate) {
    const double cell = std::trunc(static_cast<double>(gridCoordinate) / GRID_CELL);
    if (std::isnan(cell)) return 0;
    return static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(GRID_LAST_CELL)));
}

}  // namespace

float groundHeight(const World& w, float x, float z) {
    const float u = static_cast<float>(static_cast<double>(x) - GRID_ORIGIN);
    const float v = static_cast<float>(static_cast<double>(z) - GRID_ORIGIN);
    const int c = cellIndex(u);
    const int r = cellIndex(v);
    const double fu = u - GRID_CELL * c;
    const double fv = v - GRID_CELL * r;

    const Vec3 p0{GRID_CELL * c, sampleHeight(w, c, r), GRID_CELL * r};
    const Vec3 p1{GRID_CELL * (c + 1), sampleHeight(w, c + 1, r + 1), GRID_CELL * (r + 1)};
    const Vec3 p2 = fu >= fv ? Vec3{GRID_CELL * (c + 1), sampleHeight(w, c + 1, r), GRID_CELL * r}
                             : Vec3{GRID_CELL * c, sampleHeight(w, c, r + 1), GRID_CELL * (r + 1)};

    Vec3 n = triangleNormal(p0, p1, p2);
    const double len =
        std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y + static_cast<double>(n.z) * n.z);
    const double nx = static_cast<float>(n.x / len), ny = static_cast<float>(n.y / len),
                 nz = static_cast<float>(n.z / len);
    const double d = -(nx * p2.x + ny * p2.y + nz * p2.z);
    return static_cast<float>(-(nx * u + nz * v + d) / ny);
}

}  // namespace vantrel
