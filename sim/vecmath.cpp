#include "sim/vecmath.h"

#include <cmath>

#include "sim/elementary.h"

namespace vantrel {

float angleOf(float a, float b) {
    if (a == 0.0f && b == 0.0f) return 0.0f;
    return static_cast<float>(elementary::atan2(static_cast<double>(a), static_cast<double>(b)));
}

void rotatePair(float& a, float& b, float angle) {
    if (a == 0.0f && b == 0.0f) return;
    const double da = a, db = b;
    const float length = static_cast<float>(std::sqrt(da * da + db * db));
    const float theta = static_cast<float>(elementary::atan2(da, db) + static_cast<double>(angle));
    a = static_cast<float>(elementary::sin(static_cast<double>(theta)) * length);
    b = static_cast<float>(elementary::cos(static_cast<double>(theta)) * length);
}

void rotateLocalToWorld(Vec3& v, float roll, float pitch, float heading) {
    rotatePair(v.x, v.y, roll);
    rotatePair(v.y, v.z, pitch);
    rotatePair(v.x, v.z, heading);
}

void rotateWorldToLocal(Vec3& v, float heading, float pitch, float roll) {
    rotatePair(v.x, v.z, heading);
    rotatePair(v.y, v.z, pitch);
    rotatePair(v.x, v.y, roll);
}

// Angles the game produces stay within a few thousand radians; beyond this a float step
// of TWO_PI could stop changing the value, so such inputs are first reduced in double.
constexpr float WRAP_DIRECT_LIMIT = 16384.0f;

void wrapAngle(float& a) {
    if (!std::isfinite(a)) return;
    if (absolute(a) > WRAP_DIRECT_LIMIT) {
        a = static_cast<float>(std::remainder(static_cast<double>(a), static_cast<double>(TWO_PI)));
    }
    for (;;) {
        if (a > PI) {
            a = static_cast<float>(static_cast<double>(a) - TWO_PI);
        } else if (a < -PI) {
            a = static_cast<float>(static_cast<double>(a) + TWO_PI);
        } else {
            return;
        }
    }
}

float absolute(float a) { return a < 0.0f ? -a : a; }

void normalize(Vec3& v) {
    const float length = static_cast<float>(straightLength(Offset{v.x, v.y, v.z}));
    if (length == 0.0f) return;
    v.x /= length;
    v.y /= length;
    v.z /= length;
}

float angleBetween(const Vec3& a, const Vec3& b) {
    double dot = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
    if (dot > 1.0) dot = 1.0;
    if (dot < -1.0) dot = -1.0;
    return static_cast<float>(elementary::acos(dot));
}

double groundLength(const Offset& d) { return std::sqrt(d.x * d.x + d.z * d.z); }

double straightLength(const Offset& d) { return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z); }

double groundThenHeightLength(const Offset& d) {
    const double ground = groundLength(d);
    return std::sqrt(ground * ground + d.y * d.y);
}

}  // namespace vantrel
