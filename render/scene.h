// The three-dimensional world of a mission frame: sky, terrain and aircraft, and the mesh
// drawing shared with the projectile pass. Everything here reads the world, never writes it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/device.h"
#include "render/matrices.h"
#include "world/world.h"

namespace vantrel::render {

constexpr float SKY_SCALE = 85.0f;
constexpr int SKY_TEXTURE = 5;
constexpr int SKY_MESH = 0;
constexpr int TERRAIN_TEXTURE = 0;
constexpr float AIRCRAFT_SCALE = 0.2f;
// Aircraft and projectiles this far or farther from the camera, horizontally, are not drawn.
constexpr float DRAW_DISTANCE = 100.0f;

// Cells whose centre lies this close to the camera, horizontally, are drawn.
constexpr float TERRAIN_WINDOW = 96.0f;
// Vertices up to this horizontal distance are opaque; from 80 on they are fully faded.
constexpr float TERRAIN_OPAQUE = 56.0f;
constexpr float TEXTURE_STEP = 0.01010101f;  // per grid index: map1 covers the grid once
constexpr uint8_t BORDER_TINT = 30;          // taken off green and blue
constexpr int BORDER_LINES[] = {11, 88};     // grid rows and columns just outside flight limits
constexpr Vec3 SUNLIGHT{-TOWARD_SUN.x, -TOWARD_SUN.y, -TOWARD_SUN.z};  // the way it travels

// Model point p becomes p * S * Rz(roll) * Rx(pitch) * Ry(heading) * T: scaled, rolled,
// pitched, turned, then moved to the position.
Matrix meshWorldMatrix(const Pose& pose, float scale);
// Draws every subset of a mesh with a texture; a mesh that failed to load draws nothing.
void drawMesh(Device& device, const Pose& pose, float scale, int texture, int mesh);

// Horizontal distance from the camera, strictly below DRAW_DISTANCE.
bool withinDrawDistance(const World& w, float x, float z);

void drawSky(Device& device, const World& w);
// Lighting is the caller's: drawScene turns it on around this pass only.
void drawAircraft(Device& device, const World& w);

// Alpha of a terrain vertex at horizontal distance d; 0 means the vertex is faded out.
uint8_t terrainAlpha(float d);
// 180 less the whole degrees between the sun direction and the face normal: 0 for a face
// turned fully toward the sun, 18 for level ground, 180 for one turned away.
uint8_t faceShade(const Vec3& faceNormal);
uint8_t borderTint(int column, int row);
uint32_t terrainColour(uint8_t alpha, uint8_t shade, uint8_t tint);
// Appends the triangles of the cell window around the camera, three vertices each, in the
// order they are drawn: columns outer, rows inner, two triangles a cell, fully faded ones left
// out. reach: the share of the window drawn (a quality's), the fade drawn in with it.
void buildTerrainTriangles(const World& w, std::vector<WorldVertex>& out, float reach = 1.0f);
// The same, each triangle appended to one list by its corners: all three fully opaque, or not.
struct TerrainTriangles {
    std::vector<WorldVertex>& opaque;
    std::vector<WorldVertex>& faded;
};
void buildTerrainTriangles(const World& w, TerrainTriangles& out, float reach = 1.0f);
// One draw call for the whole window, world matrix the identity, with the texture the caller
// bound (drawScene binds the terrain map).
void drawTerrain(Device& device, const World& w);
// The picture of drawSky then drawTerrain, for less work: the opaque triangles first, then the
// sky only where it lies strictly behind them (so the rasteriser skips the sky the ground
// hides, and where they are equally far the ground stays on top, as before), then the faded
// edge blended over both. It can differ from the plain order only where a faded triangle lies
// in front of an opaque one: there the faded one now blends over the ground behind it rather
// than over the sky.
void drawSkyAndTerrain(Device& device, const World& w);

}  // namespace vantrel::render
