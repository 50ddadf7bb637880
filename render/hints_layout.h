// Where and what the newcomer's hints show, from the World alone: pure arithmetic and text, no
// GL, so hints.cpp only hands the results to the device. Screen pixels of the 640 x 480 design
// space, x right and y down.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "render/device.h"
#include "render/hud_layout.h"
#include "world/world.h"

namespace vantrel::render {

// The part of the picture the design space reaches: 0..640 x 0..480 in a 4:3 picture, wider or
// taller where the picture is.
struct DesignExtent {
    float left, top, right, bottom;
    float height() const { return bottom - top; }
};
DesignExtent designExtent(const PictureLayout& picture);

// The slot of the live enemy nearest the player's aircraft, or -1.
int nearestEnemy(const World& w);

// The way to the nearest enemy while the player cannot see it: off the radar, or out of the
// view. In view (but beyond the radar) it marks the enemy; out of view it is an arrow at the
// edge of the view, turned the way the camera must turn to face the enemy.
struct EnemyPointer {
    ScreenPoint at;   // the arrow's tip
    float direction;  // where the arrow points: radians clockwise from straight up the screen
    int distance;     // world units, whole
    bool inView;
};
// extent: the picture's design-space extent, which sets the perspective's scale.
std::optional<EnemyPointer> enemyPointer(const World& w, const DesignExtent& extent);

// The corners of a notched arrowhead with its tip at `tip`, pointing along direction, as a fan.
std::array<ScreenVertex, 4> arrowCorners(ScreenPoint tip, float direction, float length, uint32_t colour);

// The line under the warning line: the edge of the map ahead, else armor too low to keep the
// aircraft's speed; empty when neither applies or the player's aircraft is gone.
std::string cautionLine(const World& w);

// Under the debrief line once a mission is decided: why the player's aircraft went down, and
// whether the aircraft the mission guards still flies; empty when there is nothing to tell.
std::string lossLine(const World& w);
std::string guardedLine(const World& w);

// Where the player's own marker goes on the map: the radar's arrowhead, turned to the heading.
std::array<ScreenVertex, 4> ownMapMarkerCorners(const Aircraft& a, int alpha, float size);

}  // namespace vantrel::render
