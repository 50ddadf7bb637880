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

}  // namespace vantrel
