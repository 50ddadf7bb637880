// Flight model and aircraft update, including weapons, collisions and destruction.
#pragma once

#include "world/world.h"

namespace vantrel {

// Speeds in world units per tick, angles in radians per tick, heights in world units.
constexpr double RATE_DAMPING = 0.8;
constexpr double THROTTLE_STEP = 0.01;
constexpr double MIN_THROTTLE_SPEED = 0.1;
constexpr double STALL_SPEED = 0.15;
constexpr double STALL_NOSE_DROP = 0.006981315612792968;  // 0.4 degrees
constexpr double STALL_SINK = 0.08;
constexpr int DAMAGED_ARMOR = 20;
constexpr double DAMAGED_SPEED_LOSS = 0.015;
constexpr double DAMAGED_MIN_SPEED = 0.05;
constexpr double GROUND_CLEARANCE = 0.3;
constexpr int GROUND_CONTACT_DAMAGE = 8;
constexpr float BOUNDARY = 304.0f;
constexpr double CEILING = 70.0;
constexpr double CEILING_NOSE_DROP = 0.00872664451599121;  // 0.5 degrees
constexpr double CEILING_SINK = 0.1;
constexpr float COLLISION_DISTANCE = 0.8f;
constexpr int COLLISION_DAMAGE = 8;

// Too slow to fly, or above the ceiling: the flight model drops the nose and sinks the
// aircraft, and the head-up display warns. A value that is not a number counts as both.
inline bool belowStallSpeed(const Aircraft& a) { return !(a.speed >= STALL_SPEED); }
inline bool aboveCeiling(const Aircraft& a) { return !(a.y <= CEILING); }
inline bool isStalling(const Aircraft& a) { return belowStallSpeed(a) || aboveCeiling(a); }

// Armor this low costs speed every tick, more than full throttle gives back, so the aircraft
// slows into a stall.
inline bool losesSpeedToDamage(const Aircraft& a) { return a.armor <= DAMAGED_ARMOR; }

// Advances every living aircraft by one tick, in slot order: controls, attitude, the flip
// over the vertical (the camera turns with the player's aircraft), throttle, stall,
// movement, damage, ground, boundary, ceiling, weapons, mid-air contact, destruction.
void updateAircraft(World& w);

}  // namespace vantrel
