#include "render/scene.h"
#include "render/view.h"

#include <algorithm>
#include <cmath>

#include "sim/vecmath.h"
#include "world/terrain.h"

namespace vantrel::render {

namespace {

constexpr float AIRCRAFT_HEADING_OFFSET = PI;  // aircraft meshes are modelled nose toward -z
constexpr double FADE_START = 48.0;            // where the fade formula would reach 255
constexpr double FADE_SPAN = 32.0;
constexpr float FADE_END = 80.0f;  // the formula's first 0

float horizontalDistance(const Vec3& eye, float x, float z) {
    return static_cast<float>(groundLength(offsetBetween(eye, Vec3{x, 0.0f, z})));
}

}  // namespace

Matrix meshWorldMatrix(const Pose& pose, float scale) {
    const Vec3& at = pose.position;
    return matrixScaling(scale) * matrixRotationZ(pose.roll) * matrixRotationX(pose.pitch) *
           matrixRotationY(pose.heading) * matrixTranslation(at.x, at.y, at.z);
}

void drawMesh(Device& device, const Pose& pose, float scale, int texture, int mesh) {
    device.setWorld(meshWorldMatrix(pose, scale));
    device.bindTexture(texture);
    device.drawMeshSubsets(mesh);
}

bool withinDrawDistance(const World& w, float x, float z) {
    return horizontalDistance(viewerOf(w).cameraPos, x, z) < DRAW_DISTANCE;
}

void drawSky(Device& device, const World& w) {
    const bool nearest = !device.quality().smoothSky;
    if (nearest) device.setNearestTexels(true);
    drawMesh(device, Pose{viewerOf(w).cameraPos, 0.0f, 0.0f, 0.0f}, SKY_SCALE, SKY_TEXTURE, SKY_MESH);
    if (nearest) device.setNearestTexels(false);
}

void drawAircraft(Device& device, const World& w) {
    for (int k = 0; k < MAX_AIRCRAFT; ++k) {
        const Aircraft& a = w.aircraft[k];
        if (a.side == 0) continue;
        if (!withinDrawDistance(w, a.x, a.z)) continue;
        if (k == viewerOf(w).slot && viewerOf(w).cockpitView != 0) continue;
        const AircraftType& type = typeOf(a);
        const float heading = static_cast<float>(static_cast<double>(a.heading) + AIRCRAFT_HEADING_OFFSET);
        drawMesh(device, Pose{{a.x, a.y, a.z}, a.pitch, heading, a.roll}, AIRCRAFT_SCALE, type.texture, type.mesh);
    }
}

uint8_t terrainAlpha(float d) {
    if (d <= TERRAIN_OPAQUE) return 255;
    if (!(d < FADE_END)) return 0;  // also a distance that is not a number
    const int a = 255 - static_cast<int>(std::trunc((d - FADE_START) * 255.0 / FADE_SPAN));
    return a <= 0 ? 0 : static_cast<uint8_t>(a);
}

uint8_t faceShade(const Vec3& faceNormal) {
    Vec3 sun = SUNLIGHT;
    normalize(sun);
    Vec3 n = faceNormal;
    normalize(n);
    const double degrees = static_cast<double>(angleBetween(sun, n)) / DEG;
    return static_cast<uint8_t>(180 - static_cast<int>(std::trunc(degrees)));
}

uint8_t borderTint(int column, int row) {
    for (int line : BORDER_LINES) {
        if (column == line || row == line) return BORDER_TINT;
    }
    return 0;
}

uint32_t terrainColour(uint8_t alpha, uint8_t shade, uint8_t tint) {
    const uint32_t red = 255u - shade;
    const uint32_t greenBlue = 255u - shade - tint;
    return static_cast<uint32_t>(alpha) << 24 | red << 16 | greenBlue << 8 | greenBlue;
}

namespace {

// A grid sample as a terrain vertex: world position, map coordinates and fade.
struct Corner {
    Vec3 p;
    float u, v;
    uint8_t alpha;
};

// reach: the share of the full window drawn, the fade drawn in with it.
Corner corner(const World& w, int column, int row, float reach) {
    const Vec3 p{static_cast<float>(GRID_CELL * column + GRID_ORIGIN), sampleHeight(w, column, row),
                 static_cast<float>(GRID_CELL * row + GRID_ORIGIN)};
    return Corner{p, static_cast<float>(column * static_cast<double>(TEXTURE_STEP)),
                  static_cast<float>(row * static_cast<double>(TEXTURE_STEP)),
                  terrainAlpha(horizontalDistance(viewerOf(w).cameraPos, p.x, p.z) / reach)};
}

bool cellInWindow(const World& w, int column, int row, float reach) {
    const double dx =
        (static_cast<double>(viewerOf(w).cameraPos.x) - GRID_ORIGIN) - (GRID_CELL * column + GRID_CELL / 2);
    const double dz = (static_cast<double>(viewerOf(w).cameraPos.z) - GRID_ORIGIN) - (GRID_CELL * row + GRID_CELL / 2);
    return static_cast<float>(std::sqrt(dx * dx + dz * dz)) < TERRAIN_WINDOW * reach;
}

// Appended unless all three corners are faded out.
void addTriangle(const Corner& a, const Corner& b, const Corner& c, uint8_t shade, uint8_t tint,
                 TerrainTriangles& out) {
    if (a.alpha == 0 && b.alpha == 0 && c.alpha == 0) return;
    const bool opaque = a.alpha == 255 && b.alpha == 255 && c.alpha == 255;
    for (const Corner* k : {&a, &b, &c}) {
        (opaque ? out.opaque : out.faded)
            .push_back(WorldVertex{k->p.x, k->p.y, k->p.z, terrainColour(k->alpha, shade, tint), k->u, k->v});
    }
}

// Corners A (i, j), B (i + 1, j), C (i + 1, j + 1), D (i, j + 1); triangles C B A then A D C.
void addCell(const World& w, int i, int j, float reach, TerrainTriangles& out) {
    const Corner a = corner(w, i, j, reach), b = corner(w, i + 1, j, reach), c = corner(w, i + 1, j + 1, reach),
                 d = corner(w, i, j + 1, reach);
    const uint8_t tint = borderTint(i, j);
    addTriangle(c, b, a, faceShade(triangleNormal(a.p, b.p, c.p)), tint, out);
    addTriangle(a, d, c, faceShade(triangleNormal(d.p, a.p, c.p)), tint, out);
}

// First and last cell index along one axis that can lie in the window around eye, a cell wider
// than needed on each side; cellInWindow still decides. A camera position that is not a number
// gives the whole grid, and no cell passes the test.
struct CellSpan {
    int first, last;
};

CellSpan windowSpan(float eye, float reach) {
    const double centre = (static_cast<double>(eye) - GRID_ORIGIN - GRID_CELL / 2) / GRID_CELL;
    const double cells = TERRAIN_WINDOW * reach / GRID_CELL + 1.0;
    const double first = std::floor(centre - cells), last = std::ceil(centre + cells);
    return CellSpan{first > 0.0 ? static_cast<int>(std::min(first, GRID_LAST_CELL + 1.0)) : 0,
                    last < GRID_LAST_CELL ? static_cast<int>(std::max(last, -1.0)) : GRID_LAST_CELL};
}

}  // namespace

void buildTerrainTriangles(const World& w, std::vector<WorldVertex>& out, float reach) {
    TerrainTriangles both{out, out};
    buildTerrainTriangles(w, both, reach);
}

void buildTerrainTriangles(const World& w, TerrainTriangles& out, float reach) {
    const CellSpan columns = windowSpan(viewerOf(w).cameraPos.x, reach),
                   rows = windowSpan(viewerOf(w).cameraPos.z, reach);
    for (int i = columns.first; i <= columns.last; ++i) {
        for (int j = rows.first; j <= rows.last; ++j) {
            if (cellInWindow(w, i, j, reach)) addCell(w, i, j, reach, out);
        }
    }
}

namespace {

void drawTerrainTriangles(Device& device, const std::vector<WorldVertex>& triangles) {
    device.setWorld(matrixTranslation(0.0f, 0.0f, 0.0f));
    device.bindTexture(TERRAIN_TEXTURE);
    if (!triangles.empty()) device.drawWorldTriangles(triangles.data(), static_cast<int>(triangles.size()));
}

}  // namespace

void drawTerrain(Device& device, const World& w) {
    device.setWorld(matrixTranslation(0.0f, 0.0f, 0.0f));
    std::vector<WorldVertex> triangles;
    buildTerrainTriangles(w, triangles, device.quality().terrainReach);
    if (!triangles.empty()) {
        device.drawWorldTriangles(triangles.data(), static_cast<int>(triangles.size()));
    }
}

void drawSkyAndTerrain(Device& device, const World& w) {
    std::vector<WorldVertex> opaque, faded;
    TerrainTriangles terrain{opaque, faded};
    buildTerrainTriangles(w, terrain, device.quality().terrainReach);
    drawTerrainTriangles(device, opaque);
    device.setNearerOnly(true);
    drawSky(device, w);
    device.setNearerOnly(false);
    drawTerrainTriangles(device, faded);
}

}  // namespace vantrel::render
