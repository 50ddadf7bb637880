// 4x4 matrices with the row-vector, left-handed conventions the drawing code is written
// for: a point p becomes p * M, so M1 * M2 applies M1 first. m[3][0..2] is the translation.
#pragma once

#include <vector>

#include "world/types.h"

namespace vantrel::render {

struct Matrix {
    float m[4][4];
};

Matrix matrixIdentity();
Matrix matrixScaling(float s);
Matrix matrixTranslation(float x, float y, float z);
// By angle a: about z takes (1,0,0) to (cos a, sin a, 0); about x takes (0,1,0) to
// (0, cos a, sin a); about y takes (0,0,1) to (sin a, 0, cos a).
Matrix matrixRotationX(float a);
Matrix matrixRotationY(float a);
Matrix matrixRotationZ(float a);
Matrix operator*(const Matrix& a, const Matrix& b);
// Left-handed look-at: z axis from eye to at.
Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
// Left-handed perspective, depth mapped to 0..1 as the classic fixed-function pipeline does.
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// p * M with w = 1, divided by the resulting w.
Vec3 transformCoord(const Vec3& p, const Matrix& m);

struct BoundingSphere {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float radius = 0.0f;
};
// The smallest sphere about the centre of the points' box that holds them all.
BoundingSphere boundingSphere(const std::vector<Vec3>& points);
// Whether the whole sphere lies beyond one face of the view volume that toClip (row vectors,
// depth 0 to w) maps it into, by a margin that float rounding cannot cross, so that nothing
// inside it can reach the picture. The near face is taken at depth -w, which only keeps more.
bool outsideViewVolume(const Matrix& toClip, const BoundingSphere& sphere);

}  // namespace vantrel::render
