// Where and how the screen-space elements go: pure arithmetic on the world, no GL, so the
// drawing in hud.cpp only hands these results to the device. Screen pixels, x right and y
// down from the top left of the 640 x 480 image.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

struct ScreenPoint {
    float x, y;
};

// Text colours, 0xAARRGGBB.
constexpr uint32_t TEXT_WHITE = 0xFFFFFFFF;
constexpr uint32_t TEXT_DIM_WHITE = 0x64FFFFFF;
constexpr uint32_t TEXT_GREEN = 0xFF00FF00;
constexpr uint32_t TEXT_WARNING_RED = 0xC8FF0000;
constexpr uint32_t TEXT_RESULT_WHITE = 0xB4FFFFFF;

constexpr int FONT_SMALL = 0;  // 20 pixels high
constexpr int FONT_LARGE = 1;  // 40 pixels high

constexpr int TEXTURE_MAP = 0;
constexpr int TEXTURE_ATLAS = 4;
constexpr int TEXTURE_TITLE = 12;

// The atlas is 4 x 4 cells; cell n is column n mod 4, row n div 4.
constexpr int ATLAS_COLUMNS = 4;
constexpr int ATLAS_CELLS = ATLAS_COLUMNS * ATLAS_COLUMNS;
constexpr uint8_t CELL_RADAR = 0;
constexpr uint8_t CELL_GUN_SIGHT = 4;
constexpr uint8_t CELL_LOCK_ON = 5;
// The player's own marker, drawn over the radar's centre after every blip (the map keeps
// the player's blinking side marker). Side 15, which no mission of ours uses, shares the cell.
constexpr uint8_t CELL_PLAYER_MARKER = 15;

// The one square sprite kind of each use: edge length in pixels and alpha 0..255.
struct SpriteStyle {
    float size;
    int alpha;
};
constexpr SpriteStyle RADAR_BACKGROUND = {100.0f, 100};
constexpr SpriteStyle RADAR_MARKER = {25.0f, 150};
constexpr SpriteStyle MAP_MARKER = {30.0f, 200};
constexpr SpriteStyle GUN_SIGHT = {60.0f, 100};
constexpr SpriteStyle LOCK_ON_BOX = {40.0f, 200};

constexpr float RADAR_X = 60.0f;  // the radar's centre
constexpr float RADAR_Y = 420.0f;
constexpr float RADAR_RADIUS = 50.0f;      // pixels
constexpr float RADAR_SCALE_SHORT = 1.5f;  // world units per pixel
constexpr float RADAR_SCALE_LONG = 3.0f;

// The aircraft the picture's viewer flies.
const Aircraft& playerOf(const World& w);

// White with the low 8 bits of alpha: textures keep their colours, only their opacity changes.
uint32_t whiteWithAlpha(int alpha);

struct AtlasCell {
    float uLeft, uRight, vTop, vBottom;
};
// Texture coordinates of an atlas cell. Cells beyond the 16 of the atlas wrap around to
// cell mod 16, so a marker for any side value still samples inside the atlas.
AtlasCell atlasCell(uint8_t cell);

// The four corners of a fan, in drawing order. y1 > y2 shows the texture upside down.
std::array<ScreenVertex, 4> screenRectCorners(float x1, float y1, float x2, float y2, int alpha);
std::array<ScreenVertex, 4> spriteCorners(float x, float y, int alpha, float size, uint8_t cell);

// Where a world point appears, placed by its angles off the camera axis, not through the
// projection: 480 pixels per vertical field of view on both axes.
ScreenPoint worldToScreen(const World& w, float px, float py, float pz);

// Alpha of "PUSH SPACE KEY": fades out over 64 ticks and back in over the next 64.
int pushSpaceAlpha(int32_t tickCount);

// "ARMOR:..% W1:.. W2:.. SPEED:.. HEIGHT:.. ANGLE:.." of the player's aircraft, alive or not.
// The armour reads 0 % once the last hit has taken more than was left, never below.
std::string instrumentLine(const World& w);

// The target box and "LOCK ON" need a target and the guided-missile launcher.
bool showsLockOn(const World& w);
bool missileHomingOnPlayer(const World& w);
// The one warning line by priority: missile, stall, lock-on; empty when none applies.
std::string warningLine(const World& w);

float radarScale(const World& w);
// Marker of aircraft `other` on the heading-up radar centred at (cx, cy); none beyond the rim.
std::optional<ScreenPoint> radarMarker(const Aircraft& player, const Aircraft& other, float cx, float cy, float scale);

// Full map: 4 world units per pixel, world (0, 0) at the screen centre, +z up the screen.
ScreenPoint mapMarker(const Aircraft& a);
// Live aircraft are marked; the player's marker is off for three ticks of every six.
bool showsMapMarker(const World& w, int slot);

// "MISSION COMPLETE" or "MISSION FAILURE" while the end countdown runs, else empty.
std::string missionResult(const World& w);
// The line under the result while the countdown runs: enemies downed of how many, friends
// lost and the mission time (m:ss); empty otherwise.
// ownKills: the player's own kills beside the side's, "ENEMIES DOWNED 2 OF 3 (YOU 1)".
std::string debriefLine(const World& w, bool ownKills = false);

}  // namespace vantrel::render
