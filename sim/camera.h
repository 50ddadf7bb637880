// The chase camera: smoothed eye point and angles, sun glare.
#pragma once

#include "world/world.h"

namespace vantrel {

// Eye offsets in the aircraft's own frame (x right, y up, z forward).
inline constexpr Vec3 CHASE_OFFSET{0.0f, 0.5f, -0.9f};     // above and behind
inline constexpr Vec3 LOOK_BACK_OFFSET{0.0f, 0.5f, 2.2f};  // above and ahead, F1 held
inline constexpr Vec3 COCKPIT_OFFSET{0.0f, 0.2f, 0.2f};    // cockpitView, F1 held or not

// Last step of every mission tick, for each human seat: eases the seat's eye towards the view
// point of its aircraft (even a destroyed one) and places this tick's sun glare, seen from that
// seat alone. The flight update turns the camera angles itself when the aircraft flips over
// the vertical.
void updateCamera(World& w);

// Puts the seat's eye at its aircraft's view point and angles at once, with no easing: a human
// taking over an aircraft in the middle of a mission.
void placeCameraAtOnce(World& w, int seat);

}  // namespace vantrel
