#include "render/hints_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "game/outcome.h"
#include "render/view.h"
#include "sim/flight.h"
#include "sim/vecmath.h"

namespace vantrel::render {

namespace {

constexpr float SCREEN_CENTRE_X = SCREEN_WIDTH / 2.0f;
constexpr float SCREEN_CENTRE_Y = SCREEN_HEIGHT / 2.0f;

// The frame the arrow runs along: inside the design box, clear of the instrument line at the top.
constexpr float POINTER_LEFT = 36.0f, POINTER_RIGHT = 604.0f, POINTER_TOP = 56.0f, POINTER_BOTTOM = 404.0f;

// Units from the boundary at which flying toward it is warned of: a little over two seconds at
// the fastest aircraft's speed.
constexpr float EDGE_WARNING_DISTANCE = 45.0f;

// Where the arrow's notch sits between its tip (0) and its wings (1). A plain triangle as wide as
// it is long has three corners alike and is read pointing the wrong way; the notch leaves one tip.
constexpr float ARROW_NOTCH = 0.55f;

// Off the line of sight by less than this share of the distance counts as on it.
constexpr float STRAIGHT_BEHIND = 1e-5f;

// The enemy from the camera: x right, y up, z along the line of sight.
Vec3 seenFromCamera(const World& w, const Aircraft& a) {
    const Seat& viewer = viewerOf(w);
    Vec3 d = {a.x - viewer.cameraPos.x, a.y - viewer.cameraPos.y, a.z - viewer.cameraPos.z};
    rotateWorldToLocal(d, -viewer.cameraHeading, -viewer.cameraPitch, -viewer.cameraRoll);
    return d;
}

// Where a point in front of the camera lies in the design space, by the perspective the world
// is drawn with (the vertical field of view spans the picture's height).
ScreenPoint projected(const Vec3& d, const DesignExtent& extent) {
    const double perTangent = extent.height() / 2.0 / std::tan(FIELD_OF_VIEW / 2.0);
    return {static_cast<float>(SCREEN_CENTRE_X + d.x / d.z * perTangent),
            static_cast<float>(SCREEN_CENTRE_Y - d.y / d.z * perTangent)};
}

bool insidePointerFrame(ScreenPoint p) {
    return p.x >= POINTER_LEFT && p.x <= POINTER_RIGHT && p.y >= POINTER_TOP && p.y <= POINTER_BOTTOM;
}

// Where the ray from the screen centre along (dx, dy) leaves the pointer frame.
ScreenPoint onPointerFrame(float dx, float dy) {
    float reach = std::numeric_limits<float>::max();
    if (dx > 0.0f) reach = std::min(reach, (POINTER_RIGHT - SCREEN_CENTRE_X) / dx);
    if (dx < 0.0f) reach = std::min(reach, (POINTER_LEFT - SCREEN_CENTRE_X) / dx);
    if (dy > 0.0f) reach = std::min(reach, (POINTER_BOTTOM - SCREEN_CENTRE_Y) / dy);
    if (dy < 0.0f) reach = std::min(reach, (POINTER_TOP - SCREEN_CENTRE_Y) / dy);
    return {SCREEN_CENTRE_X + dx * reach, SCREEN_CENTRE_Y + dy * reach};
}

// An arrow on the radar would read as one of its markers: one that falls there moves along the
// frame to the nearer of the two places just clear of it.
ScreenPoint clearOfRadar(ScreenPoint p) {
    constexpr float CLEAR = RADAR_RADIUS + 8.0f;
    const auto squared = [](float v) { return v * v; };
    if (squared(p.x - RADAR_X) + squared(p.y - RADAR_Y) >= squared(CLEAR)) return p;
    const ScreenPoint above = {POINTER_LEFT, RADAR_Y - std::sqrt(squared(CLEAR) - squared(POINTER_LEFT - RADAR_X))};
    const ScreenPoint right = {RADAR_X + std::sqrt(squared(CLEAR) - squared(POINTER_BOTTOM - RADAR_Y)), POINTER_BOTTOM};
    return std::hypot(p.x - above.x, p.y - above.y) <= std::hypot(p.x - right.x, p.y - right.y) ? above : right;
}

bool onRadar(const World& w, const Aircraft& enemy) {
    return radarMarker(playerOf(w), enemy, 0.0f, 0.0f, radarScale(w)).has_value();
}

// Whether the aircraft, at this rate of travel, is within the warning distance of the boundary on
// an axis and closing on it.
bool closingOnBoundary(float position, double travel) {
    return std::fabs(position) > BOUNDARY - EDGE_WARNING_DISTANCE && position * travel > 0.0;
}

}  // namespace

DesignExtent designExtent(const PictureLayout& picture) {
    return {-picture.left / picture.scale, -picture.top / picture.scale,
            (static_cast<float>(picture.width) - picture.left) / picture.scale,
            (static_cast<float>(picture.height) - picture.top) / picture.scale};
}

int nearestEnemy(const World& w) {
    const Aircraft& p = playerOf(w);
    int nearest = -1;
    double best = std::numeric_limits<double>::max();
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const Aircraft& a = w.aircraft[slot];
        if (a.side == 0 || a.side == p.side) continue;
        const double distance = straightLength(offsetBetween(a, p));
        if (distance < best) {
            best = distance;
            nearest = slot;
        }
    }
    return nearest;
}

std::optional<EnemyPointer> enemyPointer(const World& w, const DesignExtent& extent) {
    const Aircraft& p = playerOf(w);
    const int slot = nearestEnemy(w);
    if (p.side == 0 || slot < 0) return std::nullopt;
    const Aircraft& enemy = w.aircraft[slot];
    const int distance = static_cast<int>(straightLength(offsetBetween(enemy, p)));
    const Vec3 d = seenFromCamera(w, enemy);
    if (d.z > 0.0f) {
        const ScreenPoint at = projected(d, extent);
        if (insidePointerFrame(at)) {
            if (onRadar(w, enemy)) return std::nullopt;
            return EnemyPointer{at, PI, distance, true};
        }
    }
    // Straight behind (within the rounding of the turn into the camera's axes), the way round is
    // as good either way: the arrow points down.
    const bool straightBehind = std::hypot(d.x, d.y) <= STRAIGHT_BEHIND * std::fabs(d.z);
    const float dx = straightBehind ? 0.0f : d.x, dy = straightBehind ? 1.0f : -d.y;
    return EnemyPointer{clearOfRadar(onPointerFrame(dx, dy)), static_cast<float>(std::atan2(dx, -dy)), distance, false};
}

std::array<ScreenVertex, 4> arrowCorners(ScreenPoint tip, float direction, float length, uint32_t colour) {
    const float ux = std::sin(direction), uy = -std::cos(direction);  // along the arrow
    const float halfWidth = length * 0.5f;
    const ScreenPoint base = {tip.x - ux * length, tip.y - uy * length};
    const ScreenPoint notch = {tip.x - ux * length * ARROW_NOTCH, tip.y - uy * length * ARROW_NOTCH};
    // A fan from the notch: its two triangles meet along the arrow's axis.
    return {{{notch.x, notch.y, 0.0f, 1.0f, colour, 0.0f, 0.0f},
             {base.x - uy * halfWidth, base.y + ux * halfWidth, 0.0f, 1.0f, colour, 0.0f, 0.0f},
             {tip.x, tip.y, 0.0f, 1.0f, colour, 0.0f, 0.0f},
             {base.x + uy * halfWidth, base.y - ux * halfWidth, 0.0f, 1.0f, colour, 0.0f, 0.0f}}};
}

std::string cautionLine(const World& w) {
    const Aircraft& p = playerOf(w);
    if (p.side == 0) return {};
    const double heading = p.heading;
    if (closingOnBoundary(p.x, std::sin(heading)) || closingOnBoundary(p.z, std::cos(heading))) {
        return "TURN BACK: EDGE OF THE MAP";
    }
    if (losesSpeedToDamage(p)) return "ARMOR LOW: LOSING SPEED";
    return {};
}

namespace {

bool decided(const MissionOutcome& o) {
    return o.result == MissionResult::Complete || o.result == MissionResult::Failure;
}

}  // namespace

std::string lossLine(const World& w) {
    const MissionOutcome o = missionOutcome(w, PLAYER_SEAT);
    if (!decided(o)) return {};
    std::string line = lossName(o.loss);
    std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::toupper(c); });
    return line;
}

std::string guardedLine(const World& w) {
    const MissionOutcome o = missionOutcome(w, PLAYER_SEAT);
    if (!decided(o) || o.guarded == GuardedFate::None) return {};
    return o.guarded == GuardedFate::Flying ? "THE AIRCRAFT YOU ESCORTED CAME THROUGH"
                                            : "THE AIRCRAFT YOU ESCORTED WAS LOST";
}

std::array<ScreenVertex, 4> ownMapMarkerCorners(const Aircraft& a, int alpha, float size) {
    std::array<ScreenVertex, 4> corners = spriteCorners(0.0f, 0.0f, alpha, size, CELL_PLAYER_MARKER);
    const ScreenPoint centre = mapMarker(a);
    const double c = std::cos(static_cast<double>(a.heading)), s = std::sin(static_cast<double>(a.heading));
    for (ScreenVertex& v : corners) {
        const double x = v.x, y = v.y;
        v.x = static_cast<float>(centre.x + x * c - y * s);
        v.y = static_cast<float>(centre.y + x * s + y * c);
    }
    return corners;
}

}  // namespace vantrel::render
