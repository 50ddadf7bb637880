// World records and the constant type tables shared by every layer.
#pragma once

#include <cstdint>

namespace vantrel {

// Angle constants used by all simulation arithmetic. PI is deliberately the
// single-precision 3.141592 (a little below true pi): flips and half turns use it.
constexpr float PI = 3.141592f;
constexpr float HALF_PI = PI / 2.0f;  // 1.570796
constexpr float DEG = 0.017453289f;   // one degree in radians

constexpr int MAX_AIRCRAFT = 30;
constexpr int MAX_PROJECTILES = 240;
constexpr int MAX_EFFECTS = 100;
constexpr int AIRCRAFT_TYPE_COUNT = 7;
constexpr int WEAPON_TYPE_COUNT = 3;

// Three 32-bit floats, x then y then z; y is up.
struct Vec3 {
    float x, y, z;
};

// A place and the way something there points: pitch, heading and roll in radians, in the
// order the records store them.
struct Pose {
    Vec3 position;
    float pitch, heading, roll;
};

// The controls word: rebuilt every tick by the player's keys or a computer pilot.
enum ControlBits : uint32_t {
    CTRL_PITCH_DOWN = 0x001,
    CTRL_PITCH_UP = 0x002,
    CTRL_ROLL_LEFT = 0x004,
    CTRL_ROLL_RIGHT = 0x008,
    CTRL_YAW_LEFT = 0x010,
    CTRL_YAW_RIGHT = 0x020,
    CTRL_FIRE_GUN = 0x040,
    CTRL_FIRE_LAUNCHER = 0x080,
    CTRL_THROTTLE_UP = 0x100,
    CTRL_THROTTLE_DOWN = 0x200,
};

// Computer-pilot behaviour kinds (aiMode) and state bits (aiFlags).
enum AiMode : int8_t { AI_RUDDER = 0, AI_BANK = 1, AI_EXPERT = 2 };
enum AiFlags : uint32_t { AIF_PURSUE = 0x1, AIF_BURST = 0x2 };

// One aircraft slot. Alive exactly while side != 0; a destroyed aircraft keeps its
// last values. Speeds and rates are per 30 ms tick, angles in radians.
struct Aircraft {
    float x, y, z;
    float pitch;    // kept within -PI/2..PI/2 by the flight update
    float heading;  // 0 flies toward +z, PI/2 toward +x; never wrapped
    float roll;     // never wrapped
    float pitchRate, headingRate, rollRate;
    float speed;                            // world units per tick along the nose
    int16_t gunCooldown, launcherCooldown;  // ticks
    int16_t gunAmmo, launcherAmmo;
    int16_t armor;
    int8_t type;  // row of AIRCRAFT_TYPES
    int8_t side;  // team; 0 = free slot
    uint32_t controls;
    int16_t target;  // aircraft slot aimed at, -1 = none
    int8_t aiMode;
    uint8_t padding;  // explicit so the record has no hidden bytes
    uint32_t aiFlags;
};
static_assert(sizeof(Aircraft) == 64, "Aircraft must have no hidden padding");

// Launcher patterns, the launcherKind of an aircraft type.
enum LauncherKind : int16_t {
    LAUNCHER_SINGLE_ROCKET = 1,
    LAUNCHER_ROCKET_PAIR = 2,
    LAUNCHER_GUIDED_MISSILE = 3,
    LAUNCHER_REARWARD_BURST = 4,
};

// Aircraft type row. Rates are twentieths of a degree per tick, maxSpeed twentieths of
// a world unit per tick.
struct AircraftType {
    int16_t mesh, texture, armor, maxSpeed;
    int16_t pitchUpRate, pitchDownRate, yawRate, bankRate;
    int16_t gunKind, launcherKind, gunAmmo, launcherAmmo;
};

inline constexpr AircraftType AIRCRAFT_TYPES[AIRCRAFT_TYPE_COUNT] = {
    // mesh tex armor maxSp pUp pDn yaw bank gun lnch gunAmmo lnchAmmo
    {1, 7, 80, 12, 8, 4, 2, 14, 1, 3, 800, 8},    {1, 8, 80, 12, 8, 4, 2, 14, 1, 3, 800, 8},
    {3, 10, 50, 10, 6, 3, 3, 11, 2, 1, 500, 12},  {4, 11, 120, 8, 5, 3, 2, 8, 3, 4, 2000, 80},
    {5, 13, 60, 11, 9, 6, 2, 12, 4, 1, 700, 16},  {6, 14, 100, 9, 6, 3, 3, 10, 5, 2, 1200, 18},
    {7, 15, 90, 13, 7, 4, 1, 15, 6, 3, 1000, 10},
};

enum WeaponNumber : int8_t { WEAPON_GUN = 0, WEAPON_ROCKET = 1, WEAPON_MISSILE = 2 };

// Projectile weapon row: speed is tenths of a world unit per tick, lifetime in ticks,
// jolt in fifths of a degree.
struct WeaponType {
    int16_t mesh, texture, damage, speed, lifetime;
    int8_t hitSound;
    int16_t jolt;
};

inline constexpr WeaponType WEAPON_TYPES[WEAPON_TYPE_COUNT] = {
    {2, 9, 8, 16, 80, 1, 10},
    {8, 16, 24, 12, 100, 2, 20},
    {9, 17, 35, 9, 150, 3, 30},
};

// One projectile slot; free while side == 0.
struct Projectile {
    float x, y, z;
    float pitch, heading, roll;
    int16_t life;    // ticks left
    int16_t target;  // aircraft slot steered at (missiles), -1 = none
    int8_t weapon;   // row of WEAPON_TYPES
    int8_t side;     // side of the shooter; 0 = free slot
    int8_t shooter;  // aircraft slot that fired it
    uint8_t padding;
};
static_assert(sizeof(Projectile) == 32, "Projectile must have no hidden padding");

// One visual effect slot; free while life == 0, never expires while life == -1.
struct Effect {
    float x, y, z;
    float spin;  // radians about the line of sight
    float size;  // half the side of the square
    uint8_t shade, alpha;
    uint8_t seenBy;  // 0: every view; seat + 1: only that seat's (its sun glare)
    uint8_t padding;
    float vx, vy, vz;
    float spinRate, growth;
    int8_t shadeStep, alphaStep;
    int8_t life;
    uint8_t kind;  // texture index: 1 fire, 2 smoke, 3 flash, 6 sun glare
};
static_assert(sizeof(Effect) == 48, "Effect must have no hidden padding");

// Arguments of spawnEffect, in record order but for seenBy, which only the sun glare sets;
// every effect of the game is a value of it. Fields left out of an initializer are 0.
struct EffectRecipe {
    float spin = 0, size = 0;
    uint8_t shade = 0, alpha = 0;
    float vx = 0, vy = 0, vz = 0, spinRate = 0, growth = 0;
    int8_t shadeStep = 0, alphaStep = 0, life = 0;
    uint8_t kind = 0;
    uint8_t seenBy = 0;
};

// From anywhere toward the sun; normalised before use. Sunlight travels the opposite way.
inline constexpr Vec3 TOWARD_SUN{-0.1f, 0.7f, -0.2f};

enum GameMode : int32_t { MODE_NONE = 0, MODE_TITLE = 1, MODE_SELECT = 2, MODE_MISSION = 4 };

}  // namespace vantrel
