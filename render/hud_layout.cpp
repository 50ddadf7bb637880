#include "render/hud_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "game/outcome.h"
#include "game/scheduler.h"
#include "render/view.h"
#include "sim/flight.h"
#include "sim/vecmath.h"

namespace vantrel::render {

namespace {

constexpr double PIXELS_PER_FIELD_OF_VIEW = 480.0;
constexpr double SCREEN_CENTRE_X = 320.0;
constexpr double SCREEN_CENTRE_Y = 240.0;

constexpr int BLINK_HALF_PERIOD = 64;  // ticks
constexpr int BLINK_STEP = 4;          // alpha per tick

constexpr float MAP_UNITS_PER_PIXEL = 4.0f;
constexpr int MAP_BLINK_PERIOD = 6;  // ticks: the player's marker is off for the first half

// Truncation toward zero that saturates instead of overflowing; NaN reads 0. Only a broken
// world can reach the limits, and the instrument line should then still print.
int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(v);
}

float screenOffset(float angle, double centre) {
    return static_cast<float>(static_cast<double>(angle) * PIXELS_PER_FIELD_OF_VIEW / FIELD_OF_VIEW + centre);
}

}  // namespace

const Aircraft& playerOf(const World& w) { return w.aircraft[viewerOf(w).slot]; }

uint32_t whiteWithAlpha(int alpha) { return 0x00FFFFFFu | (static_cast<uint32_t>(alpha & 0xFF) << 24); }

AtlasCell atlasCell(uint8_t cell) {
    const int n = cell % ATLAS_CELLS;
    const int column = n % ATLAS_COLUMNS;
    const int row = n / ATLAS_COLUMNS;
    constexpr float CELL = 1.0f / ATLAS_COLUMNS;
    return {column * CELL, (column + 1) * CELL, row * CELL, (row + 1) * CELL};
}

std::array<ScreenVertex, 4> screenRectCorners(float x1, float y1, float x2, float y2, int alpha) {
    const uint32_t c = whiteWithAlpha(alpha);
    return {{{x1, y1, 0.0f, 1.0f, c, 0.0f, 0.0f},
             {x1, y2, 0.0f, 1.0f, c, 0.0f, 1.0f},
             {x2, y2, 0.0f, 1.0f, c, 1.0f, 1.0f},
             {x2, y1, 0.0f, 1.0f, c, 1.0f, 0.0f}}};
}

std::array<ScreenVertex, 4> spriteCorners(float x, float y, int alpha, float size, uint8_t cell) {
    const float h = size / 2.0f;
    const uint32_t c = whiteWithAlpha(alpha);
    const AtlasCell t = atlasCell(cell);
    return {{{x - h, y - h, 0.0f, 1.0f, c, t.uLeft, t.vTop},
             {x - h, y + h, 0.0f, 1.0f, c, t.uLeft, t.vBottom},
             {x + h, y + h, 0.0f, 1.0f, c, t.uRight, t.vBottom},
             {x + h, y - h, 0.0f, 1.0f, c, t.uRight, t.vTop}}};
}

ScreenPoint worldToScreen(const World& w, float px, float py, float pz) {
    Vec3 d = {px - viewerOf(w).cameraPos.x, py - viewerOf(w).cameraPos.y, pz - viewerOf(w).cameraPos.z};
    rotateWorldToLocal(d, -viewerOf(w).cameraHeading, -viewerOf(w).cameraPitch, -viewerOf(w).cameraRoll);
    const float across = static_cast<float>(groundLength(Offset{d.x, d.y, d.z}));
    float right = angleOf(d.x, d.z);
    float below = -angleOf(d.y, across);
    wrapAngle(right);
    wrapAngle(below);
    return {screenOffset(right, SCREEN_CENTRE_X), screenOffset(below, SCREEN_CENTRE_Y)};
}

int pushSpaceAlpha(int32_t tickCount) {
    const int p = tickCount % (2 * BLINK_HALF_PERIOD);
    const int q = tickCount % BLINK_HALF_PERIOD;
    return p < BLINK_HALF_PERIOD ? 255 - BLINK_STEP * q : BLINK_STEP * q;
}

std::string instrumentLine(const World& w) {
    const Aircraft& p = playerOf(w);
    const double armorPerPoint = 100.0 / typeOf(p).armor;
    char line[128];
    std::snprintf(line, sizeof line, "ARMOR:%d%% W1:%d W2:%d SPEED:%d HEIGHT:%d ANGLE:%d",
                  truncToInt(armorPerPoint * std::max<int>(p.armor, 0)), p.gunAmmo, p.launcherAmmo,
                  truncToInt(static_cast<double>(p.speed) * 50.0), truncToInt(p.y),
                  truncToInt(static_cast<double>(p.pitch) / static_cast<double>(DEG)));
    return line;
}

bool showsLockOn(const World& w) {
    const Aircraft& p = playerOf(w);
    return isAircraftSlot(p.target) && typeOf(p).launcherKind == LAUNCHER_GUIDED_MISSILE;
}

bool missileHomingOnPlayer(const World& w) {
    for (const Projectile& m : w.projectiles) {
        if (m.side != 0 && m.target == viewerOf(w).slot && m.weapon == WEAPON_MISSILE) return true;
    }
    return false;
}

std::string warningLine(const World& w) {
    if (missileHomingOnPlayer(w)) return "! MISSILE !";
    if (isStalling(playerOf(w))) return "STALL";
    if (showsLockOn(w)) return "LOCK ON";
    return {};
}

float radarScale(const World& w) { return viewerOf(w).radarLong != 0 ? RADAR_SCALE_LONG : RADAR_SCALE_SHORT; }

std::optional<ScreenPoint> radarMarker(const Aircraft& player, const Aircraft& other, float cx, float cy, float scale) {
    const float dx = player.x - other.x;
    const float dz = player.z - other.z;
    const float dist = static_cast<float>(groundLength(Offset{dx, 0.0, dz}));
    const float ang = player.heading - angleOf(dx, dz);
    const float r = dist / scale;
    if (!(r <= RADAR_RADIUS)) return std::nullopt;
    const double a = ang;
    return ScreenPoint{static_cast<float>(cx + std::sin(a) * r), static_cast<float>(cy + std::cos(a) * r)};
}

ScreenPoint mapMarker(const Aircraft& a) {
    return {a.x / MAP_UNITS_PER_PIXEL + static_cast<float>(SCREEN_CENTRE_X),
            -a.z / MAP_UNITS_PER_PIXEL + static_cast<float>(SCREEN_CENTRE_Y)};
}

bool showsMapMarker(const World& w, int slot) {
    const int phase = w.tickCount % MAP_BLINK_PERIOD;
    if (slot == viewerOf(w).slot && phase >= 0 && phase < MAP_BLINK_PERIOD / 2) return false;
    return w.aircraft[slot].side != 0;
}

std::string missionResult(const World& w) {
    switch (missionOutcome(w, PLAYER_SEAT).result) {
        case MissionResult::Complete:
            return "MISSION COMPLETE";
        case MissionResult::Failure:
            return "MISSION FAILURE";
        default:
            return {};
    }
}

std::string debriefLine(const World& w, bool ownKills) {
    const MissionOutcome t = missionOutcome(w, PLAYER_SEAT);
    if (t.result == MissionResult::Running) return {};
    const int seconds = static_cast<int>(int64_t{t.missionTicks} * TICK_INTERVAL_MS / 1000);
    char own[32] = "";
    if (ownKills) std::snprintf(own, sizeof own, " (YOU %d)", t.ownKills);
    char line[128];
    std::snprintf(line, sizeof line, "ENEMIES DOWNED %d OF %d%s   FRIENDS LOST %d   TIME %d:%02d", t.enemiesDowned,
                  t.enemies, own, t.friendsLost, seconds / 60, seconds % 60);
    return line;
}

}  // namespace vantrel::render
