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

Vec3 viewOffset(const Seat& s, bool lookingBack) {
    if (s.cockpitView != 0) return COCKPIT_OFFSET;
    return lookingBack ? LOOK_BACK_OFFSET : CHASE_OFFSET;
}

float ease(float current, double goal, double keep, double follow) {
    return static_cast<float>(current * keep + goal * follow);
}

void moveEye(Seat& s, const Aircraft& a, bool lookingBack) {
    Vec3 o = viewOffset(s, lookingBack);
    rotateLocalToWorld(o, a.roll, a.pitch, a.heading);
    s.cameraPos.x = ease(s.cameraPos.x, static_cast<double>(a.x) + o.x, EYE_KEEP, EYE_FOLLOW);
    s.cameraPos.y = ease(s.cameraPos.y, static_cast<double>(a.y) + o.y, EYE_KEEP, EYE_FOLLOW);
    s.cameraPos.z = ease(s.cameraPos.z, static_cast<double>(a.z) + o.z, EYE_KEEP, EYE_FOLLOW);
}

// Looking back turns the wanted angles around; they are blended as plain numbers.
void turnView(Seat& s, const Aircraft& a, bool lookingBack) {
    const double sense = lookingBack ? -1.0 : 1.0;
    const double halfTurn = lookingBack ? static_cast<double>(PI) : 0.0;
    s.cameraPitch = ease(s.cameraPitch, sense * a.pitch, ANGLE_KEEP, ANGLE_FOLLOW);
    s.cameraHeading = ease(s.cameraHeading, a.heading + halfTurn, ANGLE_KEEP, ANGLE_FOLLOW);
    s.cameraRoll = ease(s.cameraRoll, sense * a.roll, ANGLE_KEEP, ANGLE_FOLLOW);
}

// Seen from the seat's own view only.
void placeSunGlare(World& w, int seat, const Aircraft& a) {
    Vec3 sun = TOWARD_SUN;
    normalize(sun);
    for (const GlareSquare& g : SUN_GLARE) {
        const double k = g.distance;
        EffectRecipe recipe = g.recipe;
        recipe.seenBy = static_cast<uint8_t>(seat + 1);
        spawnEffect(w, static_cast<float>(a.x + k * sun.x), static_cast<float>(a.y + k * sun.y),
                    static_cast<float>(a.z + k * sun.z), recipe);
    }
}

// A seat with no aircraft slot keeps its camera where it was.
void moveSeatCamera(World& w, int seat) {
    Seat& s = w.seats[seat];
    const Aircraft* a = aircraftInSlot(w, s.slot);
    if (a == nullptr) return;
    const bool lookingBack = isHeld(s.input, VK_F1);
    moveEye(s, *a, lookingBack);
    turnView(s, *a, lookingBack);
    placeSunGlare(w, seat, *a);
}

}  // namespace

void placeCameraAtOnce(World& w, int seat) {
    Seat& s = w.seats[seat];
    const Aircraft* a = aircraftInSlot(w, s.slot);
    if (a == nullptr) return;
    Vec3 o = viewOffset(s, false);
    rotateLocalToWorld(o, a->roll, a->pitch, a->heading);
    s.cameraPos = Vec3{a->x + o.x, a->y + o.y, a->z + o.z};
    s.cameraPitch = a->pitch;
    s.cameraHeading = a->heading;
    s.cameraRoll = a->roll;
}

void updateCamera(World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat)) moveSeatCamera(w, seat);
    }
}

}  // namespace vantrel
