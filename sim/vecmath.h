// Vector and angle helpers. They fix the axis and sign conventions of the whole game:
// heading 0 looks along +z and grows toward +x, pitch raises the nose toward +y, roll
// turns the local up axis toward local +x. Trigonometry runs in double precision and
// results are rounded to float when stored.
#pragma once

#include "world/types.h"

namespace vantrel {

constexpr float TWO_PI = 6.283184f;  // the full turn of wrapAngle, from the single-precision PI

// atan2(a, b), or 0 when both are exactly 0. a is the sine-side component.
float angleOf(float a, float b);

// Turns the pair (a, b) by angle, measured from the b axis toward the a axis; length kept.
void rotatePair(float& a, float& b, float angle);

// Body frame to world axes: roll in x-y, then pitch in y-z, then heading in x-z.
void rotateLocalToWorld(Vec3& v, float roll, float pitch, float heading);

// The same three steps in the opposite order; pass negated angles to undo rotateLocalToWorld.
void rotateWorldToLocal(Vec3& v, float heading, float pitch, float roll);

// Brings a into [-PI, PI] by whole turns of TWO_PI; either bound is left as it is.
void wrapAngle(float& a);

float absolute(float a);

// Scales v to unit length; a zero vector is left unchanged.
void normalize(Vec3& v);

// acos of the dot product of two unit vectors, the product clamped into [-1, 1].
float angleBetween(const Vec3& a, const Vec3& b);

// The difference of two points, each axis subtracted in double from the float coordinates.
struct Offset {
    double x, y, z;
};

// a - b for anything with float x, y and z: a Vec3, an aircraft, a projectile.
template <typename A, typename B>
Offset offsetBetween(const A& a, const B& b) {
    return {static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y, static_cast<double>(a.z) - b.z};
}

// Over the ground: sqrt(x^2 + z^2).
double groundLength(const Offset& d);

// In one step: sqrt(x^2 + y^2 + z^2).
double straightLength(const Offset& d);

// The ground length first, then with the height: sqrt(ground^2 + y^2). It rounds twice, so
// its last bit can differ from straightLength's; mid-air contact and sound volume use it.
double groundThenHeightLength(const Offset& d);

}  // namespace vantrel
