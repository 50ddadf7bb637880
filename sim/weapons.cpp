#include "sim/weapons.h"

#include <iterator>

#include "sim/effects.h"
#include "sim/projectiles.h"
#include "sim/sounds.h"
#include "sim/vecmath.h"

namespace vantrel {

namespace {

// A random offset of (draw % count - offset) × stepDegrees degrees, in radians, the draw from
// the World's generator.
struct Spread {
    int count, offset;
    double stepDegrees;
};

// Barrels of a gun across the aircraft's own x axis.
enum class BarrelLayout : uint8_t {
    Centre,  // one barrel at x 0
    Pair,    // x -spacing when the rounds left are odd, +spacing when even
    Four,    // x (rounds left % 4 - 1.5) × spacing
};

struct GunPattern {
    int16_t interval;  // ticks between shots, put into gunCooldown
    Spread spread;     // drawn for pitch, then heading
    BarrelLayout layout;
    double spacing;  // world units
    float y, z;      // muzzle height and length along the nose, world units
};

// Indexed by gunKind - 1.
constexpr GunPattern GUN_PATTERNS[] = {
    {4, {9, 4, 0.2}, BarrelLayout::Pair, 0.2, 0.02f, 0.3f},
    {6, {15, 7, 0.2}, BarrelLayout::Centre, 0.0, 0.02f, 0.7f},
    {2, {21, 10, 0.2}, BarrelLayout::Pair, 0.4, -0.02f, 0.5f},
    {5, {7, 3, 0.2}, BarrelLayout::Pair, 0.3, 0.02f, 0.5f},
    {2, {9, 4, 0.2}, BarrelLayout::Four, 0.2, -0.02f, 0.6f},
    {3, {11, 5, 0.2}, BarrelLayout::Centre, 0.0, 0.02f, 0.7f},
};

constexpr int MAX_LAUNCHER_MUZZLES = 2;

// One launch: at each muzzle in turn, shotsPerMuzzle releases of the weapon, then the
// optional flash and the smoke; the sound plays once, at the last muzzle. Rearward
// releases negate the pitch and turn the heading half round before the spread.
struct LauncherPattern {
    int16_t interval;  // ticks, put into launcherCooldown
    int8_t weapon;     // WeaponNumber
    int8_t shotsPerMuzzle;
    bool rearward;
    Spread spread;
    int muzzleCount;
    Vec3 muzzles[MAX_LAUNCHER_MUZZLES];  // the aircraft's own frame, world units
    const EffectRecipe* flash;           // nullptr: none
    const EffectRecipe* smoke;
    int8_t sound;  // SoundChannel
};

// Indexed by launcherKind - 1: single rocket, pair of rockets, guided missile, rear burst.
constexpr LauncherPattern LAUNCHER_PATTERNS[] = {
    {10, WEAPON_ROCKET, 1, false, {7, 3, 0.1}, 1, {{0.0f, 0.0f, 0.2f}}, nullptr, &LaunchSmoke, SOUND_LAUNCH},
    {10,
     WEAPON_ROCKET,
     1,
     false,
     {7, 3, 0.1},
     2,
     {{0.5f, 0.0f, 0.2f}, {-0.5f, 0.0f, 0.2f}},
     nullptr,
     &LaunchSmoke,
     SOUND_LAUNCH},
    {20, WEAPON_MISSILE, 1, false, {5, 2, 0.1}, 1, {{0.0f, 0.0f, 0.2f}}, nullptr, &LaunchSmoke, SOUND_LAUNCH},
    {15, WEAPON_GUN, 10, true, {161, 80, 0.2}, 1, {{0.0f, 0.0f, -0.7f}}, &RearBurstFlash, &RearBurstSmoke, SOUND_GUN},
};

constexpr bool everyTypeHasPatterns() {
    for (const AircraftType& t : AIRCRAFT_TYPES) {
        if (t.gunKind < 1 || t.gunKind > static_cast<int>(std::size(GUN_PATTERNS))) return false;
        if (t.launcherKind < 1 || t.launcherKind > static_cast<int>(std::size(LAUNCHER_PATTERNS))) {
            return false;
        }
    }
    return true;
}
static_assert(everyTypeHasPatterns(), "every aircraft type needs a gun and a launcher pattern");

double drawSpread(World& w, const Spread& s) {
    return (rnd(w) % s.count - s.offset) * s.stepDegrees * static_cast<double>(DEG);
}

float barrelX(const GunPattern& g, int roundsLeft) {
    switch (g.layout) {
        case BarrelLayout::Pair:
            return static_cast<float>(roundsLeft % 2 != 0 ? -g.spacing : g.spacing);
        case BarrelLayout::Four:
            return static_cast<float>(roundsLeft % 4 * g.spacing - 1.5 * g.spacing);
        case BarrelLayout::Centre:
            break;
    }
    return 0.0f;
}

// The aircraft's position plus an offset given in its own frame.
Vec3 muzzlePoint(const Aircraft& a, Vec3 offset) {
    rotateLocalToWorld(offset, a.roll, a.pitch, a.heading);
    return Vec3{a.x + offset.x, a.y + offset.y, a.z + offset.z};
}

void releaseFromLauncher(World& w, const Aircraft& a, const LauncherPattern& l, const Vec3& m) {
    const double dp = drawSpread(w, l.spread);
    const double dh = drawSpread(w, l.spread);
    const double pitch = l.rearward ? -static_cast<double>(a.pitch) : a.pitch;
    const double heading = l.rearward ? a.heading + static_cast<double>(PI) : a.heading;
    const Pose launch{m, static_cast<float>(pitch + dp), static_cast<float>(heading + dh), randomAngle(w)};
    spawnProjectile(w, launch, a.target, l.weapon, a.side, slotOf(w, a));
}

}  // namespace

void fireGun(World& w, Aircraft& a) {
    if (!(a.controls & CTRL_FIRE_GUN) || a.gunCooldown != 0 || a.gunAmmo <= 0) return;
    --a.gunAmmo;
    const GunPattern& g = GUN_PATTERNS[typeOf(a).gunKind - 1];
    a.gunCooldown = g.interval;
    const double dp = drawSpread(w, g.spread);
    const double dh = drawSpread(w, g.spread);
    const Vec3 m = muzzlePoint(a, Vec3{barrelX(g, a.gunAmmo), g.y, g.z});
    const Pose launch{m, static_cast<float>(a.pitch + dp), static_cast<float>(a.heading + dh), randomAngle(w)};
    spawnProjectile(w, launch, a.target, WEAPON_GUN, a.side, slotOf(w, a));
    spawnEffect(w, m.x, m.y, m.z, withSpin(MuzzleFlash, randomAngle(w)));
    spawnEffect(w, m.x, m.y, m.z, GunSmoke);
    emitSoundAt(w, m.x, m.y, m.z, SOUND_GUN);
}

void fireLauncher(World& w, Aircraft& a) {
    if (!(a.controls & CTRL_FIRE_LAUNCHER) || a.launcherCooldown != 0 || a.launcherAmmo <= 0) {
        return;
    }
    --a.launcherAmmo;
    const LauncherPattern& l = LAUNCHER_PATTERNS[typeOf(a).launcherKind - 1];
    a.launcherCooldown = l.interval;
    Vec3 m{};
    for (int muzzle = 0; muzzle < l.muzzleCount; ++muzzle) {
        m = muzzlePoint(a, l.muzzles[muzzle]);
        for (int shot = 0; shot < l.shotsPerMuzzle; ++shot) releaseFromLauncher(w, a, l, m);
        if (l.flash) spawnEffect(w, m.x, m.y, m.z, withSpin(*l.flash, randomAngle(w)));
        spawnEffect(w, m.x, m.y, m.z, *l.smoke);
    }
    emitSoundAt(w, m.x, m.y, m.z, l.sound);
}

void countDownCooldowns(Aircraft& a) {
    if (--a.gunCooldown < 0) a.gunCooldown = 0;
    if (--a.launcherCooldown < 0) a.launcherCooldown = 0;
}

}  // namespace vantrel
