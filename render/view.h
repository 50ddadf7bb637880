// The view of the world from the camera state, and the fixed perspective that goes with it.
// Built every frame in every game mode by renderFrame.
#pragma once

#include "render/device.h"
#include "render/matrices.h"
#include "world/world.h"

namespace vantrel::render {

// The seat the picture is drawn for: the player's. A match client draws the World as its own
// seat sees it (viewFromSeat puts that seat in the player's place).
inline const Seat& viewerOf(const World& w) { return w.seats[PLAYER_SEAT]; }
inline Seat& viewerOf(World& w) { return w.seats[PLAYER_SEAT]; }

// Vertical field of view in radians, width over height of the 640 x 480 picture, near and far
// planes in world units.
constexpr double FIELD_OF_VIEW = 1.0471973;
constexpr float ASPECT_RATIO = 1.3333334f;
constexpr float NEAR_PLANE = 0.1f;
constexpr float FAR_PLANE = 150.0f;

// The vertical field stays fixed; a wider picture sees more to the sides ("Hor+").
Matrix projectionMatrix(float aspect = ASPECT_RATIO);

// Left-handed look-at from cameraPos along the camera's nose, its up turned by the camera roll.
Matrix viewMatrix(const World& w);

void setViewTransform(Device& device, const World& w);

}  // namespace vantrel::render
