#include "sim/camera.h"

#include "sim/effects.h"
#include "sim/vecmath.h"

namespace vantrel {

namespace {

// Share of the old value kept each tick; the rest comes from the aircraft.
constexpr double EYE_KEEP = 0.6;
constexpr double EYE_FOLLOW = 0.4;
constexpr double ANGLE_KEEP = 0.7;
constexpr double ANGLE_FOLLOW = 0.3;

// One glare square: its distance along the sun direction and its one-tick effect.
struct GlareSquare {
    float distance;
    EffectRecipe recipe;
};

// Recipe columns: spin, size, shade, alpha, vx, vy, vz, spinRate, growth, shadeStep,
// alphaStep, life (ticks), kind.
constexpr GlareSquare SUN_GLARE[] = {
    {3.0f, {0.0f, 0.6f, 0, 60, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0, 0, 1, EFFECT_GLARE}},
    {9.0f, {0.0f, 0.6f, 0, 60, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0, 0, 1, EFFECT_GLARE}},
    {27.0f, {0.0f, 0.8f, 0, 200, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0, 0, 1, EFFECT_FLASH}},
};

Vec3 viewOffset(const World& w, bool lookingBack) {
    if (w.cockpitView != 0) return COCKPIT_OFFSET;
    return lookingBack ? LOOK_BACK_OFFSET : CHASE_OFFSET;
}

float ease(float current, double goal, double keep, double follow) {
    return static_cast<float>(current * keep + goal * follow);
}

void moveEye(World& w, const Aircraft& a, bool lookingBack) {
    Vec3 o = viewOffset(w, lookingBack);
    rotateLocalToWorld(o, a.roll, a.pitch, a.heading);
    w.cameraPos.x = ease(w.cameraPos.x, static_cast<double>(a.x) + o.x, EYE_KEEP, EYE_FOLLOW);
    w.cameraPos.y = ease(w.cameraPos.y, static_cast<double>(a.y) + o.y, EYE_KEEP, EYE_FOLLOW);
    w.cameraPos.z = ease(w.cameraPos.z, static_cast<double>(a.z) + o.z, EYE_KEEP, EYE_FOLLOW);
}

// Looking back turns the wanted angles around; they are blended as plain numbers.
void turnView(World& w, const Aircraft& a, bool lookingBack) {
    const double sense = lookingBack ? -1.0 : 1.0;
    const double halfTurn = lookingBack ? static_cast<double>(PI) : 0.0;
    w.cameraPitch = ease(w.cameraPitch, sense * a.pitch, ANGLE_KEEP, ANGLE_FOLLOW);
    w.cameraHeading = ease(w.cameraHeading, a.heading + halfTurn, ANGLE_KEEP, ANGLE_FOLLOW);
    w.cameraRoll = ease(w.cameraRoll, sense * a.roll, ANGLE_KEEP, ANGLE_FOLLOW);
}

void placeSunGlare(World& w, const Aircraft& a) {
    Vec3 sun = TOWARD_SUN;
    normalize(sun);
    for (const GlareSquare& g : SUN_GLARE) {
        const double k = g.distance;
        spawnEffect(w, static_cast<float>(a.x + k * sun.x), static_cast<float>(a.y + k * sun.y),
                    static_cast<float>(a.z + k * sun.z), g.recipe);
    }
}

}  // namespace

void updateCamera(World& w) {
    const Aircraft& a = w.aircraft[w.playerIndex];
    const bool lookingBack = isHeld(w.input, VK_F1);
    moveEye(w, a, lookingBack);
    turnView(w, a, lookingBack);
    placeSunGlare(w, a);
}

}  // namespace vantrel
