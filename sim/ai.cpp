#include "sim/ai.h"

#include "sim/targeting.h"
#include "sim/vecmath.h"

namespace vantrel {

namespace {

// Distances in world units, angles in radians, leads in ticks of the target's movement.
constexpr double ACQUIRE_RANGE = 100.0;  // horizontal
constexpr float ARENA_LIMIT = 250.0f;    // on x and z, while cruising
constexpr float CRUISE_WINGS_TOLERANCE = 2 * DEG;
constexpr float CRUISE_NOSE_TOLERANCE = 5 * DEG;
constexpr float STEEP_PITCH = 30 * DEG;
constexpr float STEEP_WINGS_TOLERANCE = 5 * DEG;
constexpr float AIM_TOLERANCE = 2 * DEG;
constexpr float BANK_TOLERANCE = 10 * DEG;  // around +-90 degrees, and wings level in pursuit
constexpr float RUDDER_TOLERANCE = 1 * DEG;
constexpr float FIXED_LEAD = 15.0f;
constexpr double EXPERT_LEAD_PER_UNIT = 0.8;
constexpr float EXPERT_FAR = 35.0f;
constexpr float EXPERT_NEAR = 30.0f;
constexpr float EXPERT_VERY_NEAR = 15.0f;
constexpr double EXPERT_MIN_SPEED = 0.18;  // no throttling down at or below it
constexpr float LOW_ALTITUDE = 20.0f;      // absolute height, not above ground
constexpr float LOW_WINGS_TOLERANCE = 20 * DEG;
constexpr int GIVE_UP_ARMOR = 20;

// Chances are 1/n: a draw from the World's generator, modulo n, equals 1.
constexpr int CHANCE_THROTTLE_UP = 10;
constexpr int CHANCE_THROTTLE_DOWN = 8;
constexpr int CHANCE_BURST_START = 3;
constexpr int CHANCE_AIMED_LAUNCH = 40;
constexpr int CHANCE_BURST_END = 8;
constexpr int CHANCE_RANDOM_LAUNCH = 60;
constexpr int CHANCE_GIVE_UP = 500;

bool chance(World& w, int n) { return rnd(w) % n == 1; }

float wrapped(float angle) {
    wrapAngle(angle);
    return angle;
}

uint32_t rollTowardLevel(float roll) { return wrapped(roll) > 0.0f ? CTRL_ROLL_LEFT : CTRL_ROLL_RIGHT; }

// One random slot a tick; height plays no part in the range.
void searchForEnemy(World& w, Aircraft& a) {
    const int j = rnd(w) % MAX_AIRCRAFT;
    const Aircraft& other = w.aircraft[j];
    if (other.side == 0 || other.side == a.side) return;
    if (groundLength(offsetBetween(a, other)) < ACQUIRE_RANGE) {
        a.target = static_cast<int16_t>(j);
        a.aiFlags |= AIF_PURSUE;
    }
}

bool outsideArena(const Aircraft& a) {
    return a.x > ARENA_LIMIT || a.x < -ARENA_LIMIT || a.z > ARENA_LIMIT || a.z < -ARENA_LIMIT;
}

uint32_t cruiseSteering(const Aircraft& a) {
    uint32_t controls = 0;
    if (absolute(wrapped(a.roll)) > CRUISE_WINGS_TOLERANCE) controls |= rollTowardLevel(a.roll);
    if (absolute(a.pitch) > CRUISE_NOSE_TOLERANCE) {
        controls |= a.pitch >= 0.0f ? CTRL_PITCH_DOWN : CTRL_PITCH_UP;
    }
    if (outsideArena(a)) {
        const float towardCentre = wrapped(static_cast<float>(static_cast<double>(a.heading) - angleOf(a.x, a.z) + PI));
        controls |= towardCentre > 0.0f ? CTRL_YAW_LEFT : CTRL_YAW_RIGHT;
    }
    return controls;
}

// Lead in ticks; an expert also works its throttle here (each draw only when its
// distance and speed conditions hold).
float leadTicks(World& w, Aircraft& a, const Aircraft& t) {
    if (a.aiMode != AI_EXPERT) return FIXED_LEAD;
    const float d = static_cast<float>(straightLength(offsetBetween(t, a)));
    if (d > EXPERT_FAR && chance(w, CHANCE_THROTTLE_UP)) a.controls |= CTRL_THROTTLE_UP;
    if (d < EXPERT_NEAR && a.speed > EXPERT_MIN_SPEED && chance(w, CHANCE_THROTTLE_DOWN)) {
        a.controls |= CTRL_THROTTLE_DOWN;
    }
    if (d < EXPERT_VERY_NEAR && a.speed > EXPERT_MIN_SPEED && chance(w, CHANCE_THROTTLE_DOWN)) {
        a.controls |= CTRL_THROTTLE_DOWN;
    }
    return static_cast<float>(EXPERT_LEAD_PER_UNIT * d);
}

// The target's position plus its last one-tick movement times the lead.
Vec3 aimPoint(const Aircraft& t, const Vec3& last, float lead) {
    const auto ahead = [lead](float now, float before) {
        return static_cast<float>(now + (static_cast<double>(now) - before) * lead);
    };
    return {ahead(t.x, last.x), ahead(t.y, last.y), ahead(t.z, last.z)};
}

// Both draws are made: the burst, then the launch.
void openFire(World& w, Aircraft& a) {
    if (chance(w, CHANCE_BURST_START)) a.aiFlags |= AIF_BURST;
    if (chance(w, CHANCE_AIMED_LAUNCH)) a.controls |= CTRL_FIRE_LAUNCHER;
}

// Nose pointed with rudder and elevator; one of the rudder bits is always set.
void steerWithRudder(World& w, Aircraft& a, const AimError& e) {
    if (absolute(a.pitch) > STEEP_PITCH) {
        if (absolute(wrapped(a.roll)) < STEEP_WINGS_TOLERANCE) {
            a.controls |= a.pitch < 0.0f ? CTRL_PITCH_UP : CTRL_PITCH_DOWN;
        } else {
            a.controls |= rollTowardLevel(a.roll);
        }
    }
    bool busy = absolute(e.heading) > AIM_TOLERANCE;
    a.controls |= e.heading > 0.0f ? CTRL_YAW_LEFT : CTRL_YAW_RIGHT;
    if (absolute(e.pitch) > AIM_TOLERANCE && !busy) {
        busy = true;
        a.controls |= e.pitch > 0.0f ? CTRL_PITCH_UP : CTRL_PITCH_DOWN;
    }
    if (!busy) openFire(w, a);
}

// Roll bit toward a wanted bank of +-90 degrees. An expert takes the short way, never
// through +-180; a plain banker always rolls the way it turns.
uint32_t rollTowardBank(const Aircraft& a, float roll, float bank) {
    if (a.aiMode == AI_EXPERT) return roll < bank ? CTRL_ROLL_RIGHT : CTRL_ROLL_LEFT;
    return bank > 0.0f ? CTRL_ROLL_RIGHT : CTRL_ROLL_LEFT;
}

// Banks to a right angle and pulls; with the wings vertical the rudder moves the nose up
// or down, so its sense flips with the side of the bank.
void turnBanked(Aircraft& a, const AimError& e, float roll, float bank) {
    if (absolute(static_cast<float>(static_cast<double>(roll) - bank)) < BANK_TOLERANCE) {
        a.controls |= CTRL_PITCH_UP;
    } else {
        a.controls |= rollTowardBank(a, roll, bank);
    }
    if (absolute(e.pitch) > RUDDER_TOLERANCE) {
        const bool noseUp = e.pitch > 0.0f;
        a.controls |= noseUp == (bank > 0.0f) ? CTRL_YAW_LEFT : CTRL_YAW_RIGHT;
    }
}

void steerWithBank(World& w, Aircraft& a, const AimError& e) {
    const float roll = wrapped(a.roll);
    if (e.heading < -AIM_TOLERANCE) {
        turnBanked(a, e, roll, HALF_PI);
    } else if (e.heading > AIM_TOLERANCE) {
        turnBanked(a, e, roll, -HALF_PI);
    } else if (absolute(e.pitch) < AIM_TOLERANCE) {
        openFire(w, a);
    } else if (absolute(roll) < BANK_TOLERANCE) {
        a.controls |= e.pitch > 0.0f ? CTRL_PITCH_UP : CTRL_PITCH_DOWN;
    } else {
        a.controls |= rollTowardLevel(a.roll);
    }
}

void pursue(World& w, int slot) {
    Aircraft& a = w.aircraft[slot];
    const Aircraft* target = aircraftInSlot(w, a.target);
    if (!target) return;
    const Aircraft& t = *target;
    const float lead = leadTicks(w, a, t);
    const Vec3 aim = aimPoint(t, w.lastTargetPos[slot], lead);
    const AimError e = aimErrorTo(a, aim.x, aim.y, aim.z);
    switch (a.aiMode) {
        case AI_RUDDER:
            steerWithRudder(w, a, e);
            break;
        case AI_BANK:
        case AI_EXPERT:
            steerWithBank(w, a, e);
            break;
        default:
            break;
    }
}

void continueBurst(World& w, Aircraft& a) {
    if ((a.aiFlags & AIF_BURST) == 0) return;
    a.controls |= CTRL_FIRE_GUN;
    if (chance(w, CHANCE_BURST_END)) a.aiFlags &= ~static_cast<uint32_t>(AIF_BURST);
}

void pullUpWhenLow(Aircraft& a) {
    if (a.y >= LOW_ALTITUDE) return;
    if (absolute(wrapped(a.roll)) < LOW_WINGS_TOLERANCE) {
        a.controls |= CTRL_PITCH_UP;
    } else {
        a.controls |= rollTowardLevel(a.roll);
    }
}

// Run for cruising pilots too, whose target is whatever it was last; the 1/500 draw is
// made only when the target is still worth chasing.
bool givesUp(World& w, const Aircraft& a) {
    const Aircraft* t = aircraftInSlot(w, a.target);
    if (!t) return true;
    if (t->armor < GIVE_UP_ARMOR || t->side == 0 || t->side == a.side) return true;
    return chance(w, CHANCE_GIVE_UP);
}

void finishTick(World& w, int slot) {
    Aircraft& a = w.aircraft[slot];
    continueBurst(w, a);
    if (typeOf(a).launcherKind == LAUNCHER_REARWARD_BURST && chance(w, CHANCE_RANDOM_LAUNCH)) {
        a.controls |= CTRL_FIRE_LAUNCHER;
    }
    pullUpWhenLow(a);
    if (givesUp(w, a)) a.aiFlags &= ~static_cast<uint32_t>(AIF_PURSUE);
    if ((a.aiFlags & AIF_PURSUE) != 0) {
        const Aircraft& t = w.aircraft[a.target];
        w.lastTargetPos[slot] = Vec3{t.x, t.y, t.z};
    }
}

void flyPilot(World& w, int slot) {
    Aircraft& a = w.aircraft[slot];
    a.controls = 0;
    if ((a.aiFlags & AIF_PURSUE) == 0) {
        searchForEnemy(w, a);
        a.controls |= cruiseSteering(a);
    } else {
        pursue(w, slot);
    }
    finishTick(w, slot);
}

}  // namespace

void updateAiPilots(World& w) {
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        if (humanSeatOf(w, slot) >= 0 || !isAlive(w, slot)) continue;
        flyPilot(w, slot);
    }
}

}  // namespace vantrel
