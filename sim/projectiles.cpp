#include "sim/projectiles.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "sim/damage.h"
#include "sim/effects.h"
#include "sim/elementary.h"
#include "sim/sounds.h"
#include "sim/vecmath.h"
#include "world/terrain.h"

namespace vantrel {

namespace {

// What each weapon leaves behind: a puff every third tick in flight, and the effect where
// it ends against the ground or an aircraft. Only missiles burn a flame and steer.
struct WeaponTrail {
    const EffectRecipe* puff;  // nullptr: no trail
    bool guided;
    const EffectRecipe* impact;
};

constexpr WeaponTrail WEAPON_TRAILS[WEAPON_TYPE_COUNT] = {
    {nullptr, false, &ShotImpact},
    {&RocketSmoke, false, &RocketImpact},
    {&MissileSmoke, true, &MissileImpact},
};

// Distance covered in one tick, world units, from the angles at the start of the tick.
struct Displacement {
    double x, y, z;
};

Displacement tickDisplacement(const Projectile& p) {
    const double pitch = p.pitch, heading = p.heading;
    const double distance = WEAPON_TYPES[p.weapon].speed * 0.1;
    return {elementary::cos(pitch) * elementary::sin(heading) * distance, elementary::sin(pitch) * distance,
            elementary::cos(pitch) * elementary::cos(heading) * distance};
}

// One step toward the target about each axis; an exactly zero error leaves that angle.
void steerMissile(Projectile& p, const Aircraft& t) {
    const Offset d = offsetBetween(p, t);
    const float bearingFromTarget = angleOf(static_cast<float>(d.x), static_cast<float>(d.z));
    float error = static_cast<float>(static_cast<double>(p.heading) - bearingFromTarget);
    wrapAngle(error);
    if (error > 0.0f) p.heading = static_cast<float>(p.heading + MISSILE_TURN_STEP);
    if (error < 0.0f) p.heading = static_cast<float>(p.heading - MISSILE_TURN_STEP);

    const float horizontal = static_cast<float>(groundLength(d));
    const float fromVertical = angleOf(horizontal, static_cast<float>(d.y));
    error = static_cast<float>(static_cast<double>(fromVertical) - p.pitch - HALF_PI);
    wrapAngle(error);
    if (error < 0.0f) p.pitch = static_cast<float>(p.pitch - MISSILE_TURN_STEP);
    if (error > 0.0f) p.pitch = static_cast<float>(p.pitch + MISSILE_TURN_STEP);
}

void leaveTrail(World& w, Projectile& p, const Displacement& d) {
    const WeaponTrail& trail = WEAPON_TRAILS[p.weapon];
    if (trail.puff && w.tickCount % 3 == 1) spawnEffect(w, p.x, p.y, p.z, *trail.puff);
    if (!trail.guided) return;
    spawnEffect(w, static_cast<float>(p.x - 0.01 * d.x), static_cast<float>(p.y - 0.01 * d.y),
                static_cast<float>(p.z - 0.01 * d.z), withSpin(MissileFlame, randomAngle(w)));
    // A target outside the table cannot be steered at: the missile flies on as unguided.
    if (const Aircraft* target = aircraftInSlot(w, p.target)) steerMissile(p, *target);
}

// A whole number in [-jolt, jolt] from one draw.
int joltDraw(World& w, int jolt) { return rnd(w) % (2 * jolt + 1) - jolt; }

// Tenths of a unit in [-0.1, 0.1] from one draw.
double hitJitter(World& w) { return (rnd(w) % 3 - 1) * 0.1; }

void hitAircraft(World& w, Projectile& p, int slot) {
    Aircraft& a = w.aircraft[slot];
    const WeaponType& weapon = WEAPON_TYPES[p.weapon];
    p.life = 0;
    a.armor = static_cast<int16_t>(a.armor - weapon.damage);
    noteDamage(w, slot, p.shooter, weaponDamage(p.weapon));
    a.pitch = static_cast<float>(a.pitch + joltDraw(w, weapon.jolt) * 0.2 * DEG);
    a.heading = static_cast<float>(a.heading + joltDraw(w, weapon.jolt) * 0.2 * DEG);
    emitSoundAt(w, p.x, p.y, p.z, weapon.hitSound);
    if (rnd(w) % 3 != 1) return;
    const double jz = hitJitter(w);
    const double jy = hitJitter(w);
    const double jx = hitJitter(w);
    spawnEffect(w, static_cast<float>(a.x + jx), static_cast<float>(a.y + jy), static_cast<float>(a.z + jz),
                HitExplosion);
    emitSoundAt(w, a.x, a.y, a.z, SOUND_BLAST);
}

bool withinHitRadius(const Projectile& p, const Aircraft& a) {
    return straightLength(offsetBetween(p, a)) <= static_cast<double>(HIT_RADIUS);
}

// The live aircraft as they stand while the projectiles move, ordered by x. Hits only knock
// attitude and armor, so positions and sides hold for the whole pass and one copy serves
// every half-step.
struct AircraftPosition {
    float x, y, z;
    int8_t side;
    uint8_t slot;
};

struct AircraftPositions {
    int count = 0;
    AircraftPosition byX[MAX_AIRCRAFT];
};

AircraftPositions positionsOf(const World& w) {
    AircraftPositions out;
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        const Aircraft& a = w.aircraft[i];
        if (a.side != 0) out.byX[out.count++] = {a.x, a.y, a.z, a.side, static_cast<uint8_t>(i)};
    }
    std::sort(out.byX, out.byX + out.count,
              [](const AircraftPosition& l, const AircraftPosition& r) { return l.x < r.x; });
    return out;
}

// Wider than the hit radius by far more than float rounding at map distances, so the
// window never leaves out an aircraft the exact test would hit.
constexpr float NEAR_AXIS_LIMIT = HIT_RADIUS + 1e-3f;

static_assert(MAX_AIRCRAFT <= 32, "one bit of a 32-bit mask per aircraft slot");

// Slots of the enemies close to the projectile on every axis, one bit each: walking the bits
// upward visits them in slot order.
uint32_t enemiesNear(const AircraftPositions& at, const Projectile& p) {
    const AircraftPosition* const end = at.byX + at.count;
    const AircraftPosition* a = std::lower_bound(at.byX, end, p.x - NEAR_AXIS_LIMIT,
                                                 [](const AircraftPosition& l, float x) { return l.x < x; });
    uint32_t slots = 0;
    for (; a != end && a->x <= p.x + NEAR_AXIS_LIMIT; ++a) {
        const bool close = std::fabs(a->y - p.y) <= NEAR_AXIS_LIMIT && std::fabs(a->z - p.z) <= NEAR_AXIS_LIMIT;
        if (close && a->side != p.side) slots |= 1u << a->slot;
    }
    return slots;
}

// Half of the tick's movement, then the ground and every enemy in reach, in slot order.
// Returns false when the projectile has hit something and must not move on.
bool moveHalfStep(World& w, const AircraftPositions& at, Projectile& p, const Displacement& d) {
    p.x = static_cast<float>(p.x + 0.5 * d.x);
    p.z = static_cast<float>(p.z + 0.5 * d.z);
    p.y = static_cast<float>(p.y + 0.5 * d.y);
    if (groundHeight(w, p.x, p.z) > p.y) p.life = 0;
    for (uint32_t near = enemiesNear(at, p); near != 0; near &= near - 1) {
        const int slot = std::countr_zero(near);
        if (withinHitRadius(p, w.aircraft[slot])) hitAircraft(w, p, slot);
    }
    return p.life > 0;
}

void updateProjectile(World& w, const AircraftPositions& at, Projectile& p) {
    const Displacement d = tickDisplacement(p);
    leaveTrail(w, p, d);
    if (moveHalfStep(w, at, p, d)) moveHalfStep(w, at, p, d);
    --p.life;
    if (p.life > 0) return;
    // Forced to 0 by a hit, then counted down: only those leave an impact.
    if (p.life != 0) spawnEffect(w, p.x, p.y, p.z, *WEAPON_TRAILS[p.weapon].impact);
    p.side = 0;
}

}  // namespace

float randomAngle(World& w) { return static_cast<float>((rnd(w) % 360) * static_cast<double>(DEG)); }

void spawnProjectile(World& w, const Pose& launch, int16_t target, int8_t weapon, int8_t side, int shooter) {
    // A weapon outside the table or a free-slot side would make a record nothing can use.
    if (weapon < 0 || weapon >= WEAPON_TYPE_COUNT || side == 0) return;
    for (Projectile& p : w.projectiles) {
        if (p.side != 0) continue;
        p = Projectile{};
        p.x = launch.position.x;
        p.y = launch.position.y;
        p.z = launch.position.z;
        p.pitch = launch.pitch;
        p.heading = launch.heading;
        p.roll = launch.roll;
        p.life = WEAPON_TYPES[weapon].lifetime;
        p.target = target;
        p.weapon = weapon;
        p.side = side;
        p.shooter = static_cast<int8_t>(isAircraftSlot(shooter) ? shooter : NO_AIRCRAFT);
        return;
    }
}

void updateProjectiles(World& w) {
    const AircraftPositions at = positionsOf(w);
    for (Projectile& p : w.projectiles) {
        if (p.side != 0) updateProjectile(w, at, p);
    }
}

}  // namespace vantrel
