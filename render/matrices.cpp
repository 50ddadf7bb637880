#include "render/matrices.h"

#include <algorithm>
#include <cmath>

namespace vantrel::render {

namespace {

struct Axis {
    double x, y, z;
};

Axis unit(Axis a) {
    const double len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    if (len == 0.0) return a;
    return {a.x / len, a.y / len, a.z / len};
}

Axis cross(Axis a, Axis b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

double dot(Axis a, Axis b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Axis toAxis(const Vec3& v) { return {v.x, v.y, v.z}; }

Matrix zeroMatrix() { return Matrix{}; }

}  // namespace

Matrix matrixIdentity() { return matrixScaling(1.0f); }

Matrix matrixScaling(float s) {
    Matrix r = zeroMatrix();
    r.m[0][0] = r.m[1][1] = r.m[2][2] = s;
    r.m[3][3] = 1.0f;
    return r;
}

Matrix matrixTranslation(float x, float y, float z) {
    Matrix r = matrixIdentity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

// Each rotation places (c, s) / (-s, c) in the two rows of the plane it turns, so that a row
// vector on the first axis of the plane moves toward the second.
Matrix matrixRotationX(float a) {
    const auto c = static_cast<float>(std::cos(static_cast<double>(a)));
    const auto s = static_cast<float>(std::sin(static_cast<double>(a)));
    Matrix r = matrixIdentity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix matrixRotationY(float a) {
    const auto c = static_cast<float>(std::cos(static_cast<double>(a)));
    const auto s = static_cast<float>(std::sin(static_cast<double>(a)));
    Matrix r = matrixIdentity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix matrixRotationZ(float a) {
    const auto c = static_cast<float>(std::cos(static_cast<double>(a)));
    const auto s = static_cast<float>(std::sin(static_cast<double>(a)));
    Matrix r = matrixIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r = zeroMatrix();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.m[i][k]) * b.m[k][j];
            r.m[i][j] = static_cast<float>(sum);
        }
    }
    return r;
}

Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    const Axis e = toAxis(eye);
    const Axis zAxis = unit({at.x - e.x, at.y - e.y, at.z - e.z});
    const Axis xAxis = unit(cross(toAxis(up), zAxis));
    const Axis yAxis = cross(zAxis, xAxis);
    const Axis axes[3] = {xAxis, yAxis, zAxis};
    Matrix r = zeroMatrix();
    for (int col = 0; col < 3; ++col) {
        r.m[0][col] = static_cast<float>(axes[col].x);
        r.m[1][col] = static_cast<float>(axes[col].y);
        r.m[2][col] = static_cast<float>(axes[col].z);
        r.m[3][col] = static_cast<float>(-dot(axes[col], e));
    }
    r.m[3][3] = 1.0f;
    return r;
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const double yScale = 1.0 / std::tan(static_cast<double>(fovY) / 2.0);
    const double xScale = yScale / aspect;
    const double depth = static_cast<double>(zFar) - zNear;
    Matrix r = zeroMatrix();
    r.m[0][0] = static_cast<float>(xScale);
    r.m[1][1] = static_cast<float>(yScale);
    r.m[2][2] = static_cast<float>(zFar / depth);
    r.m[2][3] = 1.0f;
    r.m[3][2] = static_cast<float>(-static_cast<double>(zNear) * zFar / depth);
    return r;
}

Vec3 transformCoord(const Vec3& p, const Matrix& m) {
    double out[4];
    for (int j = 0; j < 4; ++j) {
        out[j] = static_cast<double>(p.x) * m.m[0][j] + static_cast<double>(p.y) * m.m[1][j] +
                 static_cast<double>(p.z) * m.m[2][j] + m.m[3][j];
    }
    const double w = out[3] == 0.0 ? 1.0 : out[3];
    return {static_cast<float>(out[0] / w), static_cast<float>(out[1] / w), static_cast<float>(out[2] / w)};
}

BoundingSphere boundingSphere(const std::vector<Vec3>& points) {
    if (points.empty()) return {};
    Vec3 low = points.front();
    Vec3 high = points.front();
    for (const Vec3& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    BoundingSphere s{(low.x + high.x) / 2.0f, (low.y + high.y) / 2.0f, (low.z + high.z) / 2.0f, 0.0f};
    for (const Vec3& p : points) {
        const double dx = p.x - s.x, dy = p.y - s.y, dz = p.z - s.z;
        s.radius = std::max(s.radius, static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz)));
    }
    return s;
}

bool outsideViewVolume(const Matrix& toClip, const BoundingSphere& sphere) {
    constexpr double RELATIVE_MARGIN = 0.01;
    constexpr double ABSOLUTE_MARGIN = 1e-3;
    const auto& m = toClip.m;
    // Each face as w + sign * axis >= 0 on the points p (row vector) before the transform.
    for (int axis = 0; axis < 3; ++axis) {
        for (const double sign : {-1.0, 1.0}) {
            double plane[4];
            for (int i = 0; i < 4; ++i)
                plane[i] = static_cast<double>(m[i][3]) + sign * static_cast<double>(m[i][axis]);
            const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            if (length == 0.0) continue;
            const double distance =
                (plane[0] * sphere.x + plane[1] * sphere.y + plane[2] * sphere.z + plane[3]) / length;
            if (distance < -(sphere.radius * (1.0 + RELATIVE_MARGIN) + ABSOLUTE_MARGIN)) return true;
        }
    }
    return false;
}

}  // namespace vantrel::render
