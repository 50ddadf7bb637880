#include "sim/flight.h"

#include <cmath>

#include "sim/damage.h"
#include "sim/effects.h"
#include "sim/elementary.h"
#include "sim/sounds.h"
#include "sim/vecmath.h"
#include "sim/weapons.h"
#include "world/terrain.h"

namespace vantrel {

namespace {

// How a control bit moves the rates. Attitude inputs act along an angle c = roll + bankOffset,
// so banking turns the elevator into a turn and the rudder into a climb; bank inputs add
// rollSign × r to rollRate alone. r = column / 20 × DEG.
struct ControlInput {
    uint32_t bit;
    int16_t AircraftType::*column;
    bool attitude;
    double bankOffset;  // radians
    int rollSign;
};

constexpr ControlInput CONTROL_INPUTS[] = {
    {CTRL_PITCH_DOWN, &AircraftType::pitchDownRate, true, PI, 0},
    {CTRL_PITCH_UP, &AircraftType::pitchUpRate, true, 0.0, 0},
    {CTRL_ROLL_LEFT, &AircraftType::bankRate, false, 0.0, -1},
    {CTRL_ROLL_RIGHT, &AircraftType::bankRate, false, 0.0, 1},
    {CTRL_YAW_LEFT, &AircraftType::yawRate, true, -HALF_PI, 0},
    {CTRL_YAW_RIGHT, &AircraftType::yawRate, true, HALF_PI, 0},
};

float added(float value, double delta) { return static_cast<float>(value + delta); }

void applyControlInputs(Aircraft& a) {
    const AircraftType& type = typeOf(a);
    for (const ControlInput& input : CONTROL_INPUTS) {
        if (!(a.controls & input.bit)) continue;
        const double r = type.*input.column / 20.0 * static_cast<double>(DEG);
        if (!input.attitude) {
            a.rollRate = added(a.rollRate, input.rollSign * r);
            continue;
        }
        const double c = a.roll + input.bankOffset;
        a.pitchRate = added(a.pitchRate, elementary::cos(c) * r);
        a.headingRate = added(a.headingRate, elementary::sin(c) * r);
        a.rollRate = added(a.rollRate, elementary::sin(static_cast<double>(a.pitch)) * elementary::sin(c) * r);
    }
}

void integrateAttitude(Aircraft& a) {
    a.pitch = added(a.pitch, a.pitchRate);
    a.heading = added(a.heading, a.headingRate);
    a.roll = added(a.roll, a.rollRate);
    a.pitchRate = static_cast<float>(a.pitchRate * RATE_DAMPING);
    a.headingRate = static_cast<float>(a.headingRate * RATE_DAMPING);
    a.rollRate = static_cast<float>(a.rollRate * RATE_DAMPING);
}

// Mirrors the pitch about the vertical (mirror is PI or -PI) and turns heading and roll half
// round: the nose points the same way. The camera of the human flying it turns with it so the
// view does not swing.
void flip(World& w, int slot, float mirror) {
    Aircraft& a = w.aircraft[slot];
    a.pitch = static_cast<float>(static_cast<double>(mirror) - a.pitch);
    a.heading = added(a.heading, PI);
    a.roll = added(a.roll, PI);
    a.pitchRate = -a.pitchRate;
    a.headingRate = -a.headingRate;
    a.rollRate = -a.rollRate;
    const int seat = humanSeatOf(w, slot);
    if (seat < 0) return;
    Seat& s = w.seats[seat];
    s.cameraPitch = static_cast<float>(static_cast<double>(mirror) - s.cameraPitch);
    s.cameraHeading = added(s.cameraHeading, PI);
    s.cameraRoll = added(s.cameraRoll, PI);
}

void flipOverVertical(World& w, int i) {
    const Aircraft& a = w.aircraft[i];
    if (a.pitch > HALF_PI) flip(w, i, PI);
    if (a.pitch < -HALF_PI) flip(w, i, -PI);
}

void applyThrottle(Aircraft& a) {
    if (a.controls & CTRL_THROTTLE_UP) {
        const double cap = typeOf(a).maxSpeed / 20.0;
        a.speed = added(a.speed, THROTTLE_STEP);
        if (a.speed > cap) a.speed = static_cast<float>(cap);
    }
    if (a.controls & CTRL_THROTTLE_DOWN) {
        a.speed = added(a.speed, -THROTTLE_STEP);
        if (a.speed < MIN_THROTTLE_SPEED) a.speed = static_cast<float>(MIN_THROTTLE_SPEED);
    }
}

void applyStall(Aircraft& a) {
    if (!belowStallSpeed(a)) return;
    a.pitchRate = added(a.pitchRate, -STALL_NOSE_DROP);
    a.y = added(a.y, -STALL_SINK);
}

void moveAlongNose(Aircraft& a) {
    const double pitch = a.pitch, heading = a.heading, speed = a.speed;
    a.x = added(a.x, elementary::sin(heading) * elementary::cos(pitch) * speed);
    a.z = added(a.z, elementary::cos(heading) * elementary::cos(pitch) * speed);
    a.y = added(a.y, elementary::sin(pitch) * speed);
}

// Tenths of a unit in [-reach, reach] × 0.1 from one draw.
double smokeJitter(World& w, int reach) { return (rnd(w) % (2 * reach + 1) - reach) * 0.1; }

// Smoke at the aircraft, each axis moved by a jitter drawn for z, then y, then x.
void spawnJitteredSmoke(World& w, const Aircraft& a, int reach, const EffectRecipe& recipe) {
    const double jz = smokeJitter(w, reach);
    const double jy = smokeJitter(w, reach);
    const double jx = smokeJitter(w, reach);
    spawnEffect(w, added(a.x, jx), added(a.y, jy), added(a.z, jz), recipe);
}

void applyDamage(World& w, Aircraft& a) {
    if (!losesSpeedToDamage(a)) return;
    a.speed = added(a.speed, -DAMAGED_SPEED_LOSS);
    if (a.speed < DAMAGED_MIN_SPEED) a.speed = static_cast<float>(DAMAGED_MIN_SPEED);
    if (w.tickCount % 3 == 1) spawnJitteredSmoke(w, a, 2, DamageSmoke);
}

// The aircraft slides along the terrain, losing armor, until it climbs away or breaks up.
void applyGroundContact(World& w, int i) {
    Aircraft& a = w.aircraft[i];
    const float ground = groundHeight(w, a.x, a.z);
    if (ground + GROUND_CLEARANCE <= a.y) return;
    a.y = added(ground, GROUND_CLEARANCE);
    a.armor = static_cast<int16_t>(a.armor - GROUND_CONTACT_DAMAGE);
    noteDamage(w, i, NO_AIRCRAFT, belowStallSpeed(a) ? DAMAGE_STALL : DAMAGE_GROUND);
    if (w.tickCount % 2 == 1) spawnJitteredSmoke(w, a, 3, ContactSmoke);
    emitSoundAt(w, a.x, a.y, a.z, SOUND_BLAST);
}

float clampToBoundary(float v) {
    if (v > BOUNDARY) return BOUNDARY;
    if (v < -BOUNDARY) return -BOUNDARY;
    return v;
}

void applyCeiling(Aircraft& a) {
    if (!aboveCeiling(a)) return;
    a.pitchRate = added(a.pitchRate, -CEILING_NOSE_DROP);
    a.y = added(a.y, -CEILING_SINK);
}

int contactKnock(World& w) { return rnd(w) % 17 - 8; }

void knock(World& w, Aircraft& a) {
    a.pitchRate = added(a.pitchRate, contactKnock(w) * static_cast<double>(DEG));
    a.headingRate = added(a.headingRate, contactKnock(w) * static_cast<double>(DEG));
}

bool inContact(const Aircraft& a, const Aircraft& b) {
    return groundThenHeightLength(offsetBetween(a, b)) <= static_cast<double>(COLLISION_DISTANCE);
}

// Tested from both aircraft's updates, so a pair in contact pays twice per tick; b is
// changed even when its own update has already run.
void collideWithOthers(World& w, int i) {
    Aircraft& a = w.aircraft[i];
    for (int j = 0; j < MAX_AIRCRAFT; ++j) {
        Aircraft& b = w.aircraft[j];
        if (j == i || b.side == 0 || !inContact(a, b)) continue;
        a.armor = static_cast<int16_t>(a.armor - COLLISION_DAMAGE);
        b.armor = static_cast<int16_t>(b.armor - COLLISION_DAMAGE);
        noteDamage(w, i, j, DAMAGE_COLLISION);
        noteDamage(w, j, i, DAMAGE_COLLISION);
        const float mx = static_cast<float>((static_cast<double>(a.x) + b.x) / 2.0);
        const float my = static_cast<float>((static_cast<double>(a.y) + b.y) / 2.0);
        const float mz = static_cast<float>((static_cast<double>(a.z) + b.z) / 2.0);
        spawnEffect(w, mx, my, mz, ContactSmoke);
        knock(w, a);
        knock(w, b);
        emitSoundAt(w, mx, my, mz, SOUND_BLAST);
    }
}

void destroyIfWrecked(World& w, int i) {
    Aircraft& a = w.aircraft[i];
    if (a.armor >= 1) return;
    a.side = 0;
    noteLoss(w, i);
    spawnEffect(w, a.x, a.y, a.z, AircraftExplosion);
    emitSoundAt(w, a.x, a.y, a.z, SOUND_EXPLOSION);
}

void updateOneAircraft(World& w, int i) {
    Aircraft& a = w.aircraft[i];
    applyControlInputs(a);
    integrateAttitude(a);
    flipOverVertical(w, i);
    applyThrottle(a);
    applyStall(a);
    moveAlongNose(a);
    applyDamage(w, a);
    applyGroundContact(w, i);
    a.x = clampToBoundary(a.x);
    a.z = clampToBoundary(a.z);
    applyCeiling(a);
    fireGun(w, a);
    fireLauncher(w, a);
    countDownCooldowns(a);
    collideWithOthers(w, i);
    destroyIfWrecked(w, i);
}

}  // namespace

void updateAircraft(World& w) {
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        if (isAlive(w, i)) updateOneAircraft(w, i);
    }
}

}  // namespace vantrel
