// The ten models of the game. Aircraft: nose along -z, up +y, right wing along -x, about
// five units long and wide (drawn at 0.2). Projectiles point along +z (drawn at 0.1). The
// sky is a sphere of radius 1.6 about the origin (drawn at 85, inside the far plane).
#pragma once

#include "tools/vantrel-data/mesh.h"

namespace vantrel::data {

// Where each kind of surface of an aircraft lies in its texture (u0, v0, u1, v1).
struct Region {
    double u0, v0, u1, v1;
};
// Fuselage and pods: u runs nose to tail, v once around from the belly (v 0.5 on top).
constexpr Region FUSELAGE_REGION = {0.0, 0.0, 1.0, 0.5};
// Wings and tailplanes: u from root to tip, v from leading to trailing edge.
constexpr Region WING_TOP_REGION = {0.0, 0.5, 0.5, 0.75};
constexpr Region WING_BOTTOM_REGION = {0.0, 0.75, 0.5, 1.0};
// Fins: u from leading to trailing edge, v from the tip (0) down to the root (1).
constexpr Region FIN_REGION = {0.5, 0.5, 0.75, 0.75};
constexpr Region CANOPY_REGION = {0.75, 0.5, 1.0, 0.75};
constexpr Region ENGINE_REGION = {0.5, 0.75, 1.0, 1.0};

constexpr int AIRCRAFT_MODEL_COUNT = 6;
constexpr double SKY_RADIUS = 1.6;

Mesh aircraftModel(int model);  // 0..5: plane1.x .. plane6.x
Mesh skyDome();
Mesh gunShotModel();
Mesh rocketModel();
Mesh missileModel();

}  // namespace vantrel::data
