#include "render/matrices.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel::render {

namespace {

constexpr float EPS = 1e-5f;

void expectMatrix(const Matrix& actual, const float (&expected)[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(actual.m[i][j], expected[i][j], EPS) << "element " << i << "," << j;
}

void expectPoint(const Vec3& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, EPS);
    EXPECT_NEAR(p.y, y, EPS);
    EXPECT_NEAR(p.z, z, EPS);
}

}  // namespace

TEST(Matrices, RotationsTurnTheFirstAxisOfTheirPlaneTowardTheSecond) {
    const float a = 0.3f;
    const float c = std::cos(a), s = std::sin(a);
    expectPoint(transformCoord({1, 0, 0}, matrixRotationZ(a)), c, s, 0);
    expectPoint(transformCoord({0, 1, 0}, matrixRotationX(a)), 0, c, s);
    expectPoint(transformCoord({0, 0, 1}, matrixRotationY(a)), s, 0, c);
    // A quarter heading turns the nose from +z to +x.
    expectPoint(transformCoord({0, 0, 1}, matrixRotationY(PI / 2)), 1, 0, 0);
}

TEST(Matrices, RotationLayoutsMatchTheRowVectorFormulas) {
    const float a = -1.1f;
    const float c = std::cos(a), s = std::sin(a);
    const float rx[4][4] = {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}};
    const float ry[4][4] = {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}};
    const float rz[4][4] = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    expectMatrix(matrixRotationX(a), rx);
    expectMatrix(matrixRotationY(a), ry);
    expectMatrix(matrixRotationZ(a), rz);
}

TEST(Matrices, ProductAppliesTheLeftMatrixFirst) {
    const Matrix moveThenScale = matrixTranslation(1, 0, 0) * matrixScaling(2);
    const Matrix scaleThenMove = matrixScaling(2) * matrixTranslation(1, 0, 0);
    expectPoint(transformCoord({0, 0, 0}, moveThenScale), 2, 0, 0);
    expectPoint(transformCoord({0, 0, 0}, scaleThenMove), 1, 0, 0);
    // Scale, roll, pitch, turn, move: the order a mesh is placed in.
    const Matrix placed = matrixScaling(0.5f) * matrixRotationZ(0) * matrixRotationX(0) * matrixRotationY(PI / 2) *
                          matrixTranslation(10, 20, 30);
    expectPoint(transformCoord({0, 0, 2}, placed), 11, 20, 30);
}

TEST(Matrices, TranslationSitsInTheLastRow) {
    const Matrix t = matrixTranslation(3, -4, 5);
    EXPECT_EQ(t.m[3][0], 3);
    EXPECT_EQ(t.m[3][1], -4);
    EXPECT_EQ(t.m[3][2], 5);
    EXPECT_EQ(t.m[0][3], 0);
}

TEST(Matrices, LookAtMatchesTheLeftHandedFormula) {
    // Worked by hand: z = (at - eye) / |at - eye| = (0.6, 0.8, 0); x = up x z normalised =
    // (0, 0, -1); y = z x x = (-0.8, 0.6, 0); last row = -(x.eye, y.eye, z.eye).
    const Matrix v = matrixLookAtLH({1, 2, 3}, {4, 6, 3}, {0, 1, 0});
    const float expected[4][4] = {{0, -0.8f, 0.6f, 0}, {0, 0.6f, 0.8f, 0}, {-1, 0, 0, 0}, {3, -0.4f, -2.2f, 1}};
    expectMatrix(v, expected);
    expectPoint(transformCoord({1, 2, 3}, v), 0, 0, 0);
    expectPoint(transformCoord({4, 6, 3}, v), 0, 0, 5);
}

TEST(Matrices, LookAtIsLeftHanded) {
    // Looking along +z with y up, +x lies to the right (positive view x).
    const Matrix v = matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    expectPoint(transformCoord({1, 2, 3}, v), 1, 2, 3);
    const Matrix back = matrixLookAtLH({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    expectPoint(transformCoord({1, 2, 3}, back), -1, 2, -3);
}

TEST(Matrices, PerspectiveMatchesTheFormulaAndMapsDepthToZeroOne) {
    const float fov = 1.0471973f, aspect = 1.3333334f, zn = 0.1f, zf = 150.0f;
    const Matrix p = matrixPerspectiveFovLH(fov, aspect, zn, zf);
    const double yScale = 1.0 / std::tan(fov / 2.0);
    const float expected[4][4] = {{float(yScale / aspect), 0, 0, 0},
                                  {0, float(yScale), 0, 0},
                                  {0, 0, zf / (zf - zn), 1},
                                  {0, 0, -zn * zf / (zf - zn), 0}};
    expectMatrix(p, expected);
    EXPECT_NEAR(transformCoord({0, 0, zn}, p).z, 0.0f, EPS);
    EXPECT_NEAR(transformCoord({0, 0, zf}, p).z, 1.0f, EPS);
    // The top edge of the field of view lands on y = 1, the right edge on x = 1.
    const double halfHeight = std::tan(fov / 2.0) * 10.0;
    EXPECT_NEAR(transformCoord({0, float(halfHeight), 10}, p).y, 1.0f, EPS);
    EXPECT_NEAR(transformCoord({float(halfHeight * aspect), 0, 10}, p).x, 1.0f, EPS);
}

TEST(Matrices, TransformCoordDividesByW) {
    Matrix m = matrixIdentity();
    m.m[3][3] = 2;
    expectPoint(transformCoord({2, 4, 6}, m), 1, 2, 3);
}

TEST(Matrices, BoundingSphereHoldsEveryPointAboutTheBoxCentre) {
    const BoundingSphere s = boundingSphere({{1, 0, 0}, {3, 2, 0}, {2, 1, 4}});
    EXPECT_FLOAT_EQ(s.x, 2.0f);
    EXPECT_FLOAT_EQ(s.y, 1.0f);
    EXPECT_FLOAT_EQ(s.z, 2.0f);
    EXPECT_FLOAT_EQ(s.radius, std::sqrt(6.0f));
    EXPECT_FLOAT_EQ(boundingSphere({}).radius, 0.0f);
}

// The game's camera at the origin looking along +z, 60 degrees high, 4:3, depth 0.1 to 150:
// half the view is 30 degrees up and down and atan(tan 30 * 4/3) = 37.6 degrees to each side.
TEST(Matrices, OnlySpheresWhollyBeyondAFaceOfTheViewAreOutside) {
    const Matrix toClip =
        matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}) * matrixPerspectiveFovLH(1.0471973f, 4.0f / 3.0f, 0.1f, 150.0f);
    auto outside = [&](float x, float y, float z, float r) { return outsideViewVolume(toClip, {x, y, z, r}); };
    EXPECT_FALSE(outside(0, 0, 10, 1));
    EXPECT_TRUE(outside(0, 0, -10, 1)) << "behind the camera";
    EXPECT_FALSE(outside(0, 0, -0.5f, 1)) << "around the camera";
    EXPECT_TRUE(outside(0, 0, 160, 5)) << "beyond the far plane";
    EXPECT_FALSE(outside(0, 0, 148, 5)) << "across the far plane";
    // 10 along the view, the side faces are 7.70 across and the top 5.77 up.
    const float side = 10.0f * std::tan(0.5235987f) * 4.0f / 3.0f;
    const float top = 10.0f * std::tan(0.5235987f);
    const float sideNormal = std::cos(std::atan(side / 10.0f));  // distance per unit beyond the side face
    const float topNormal = std::cos(0.5235987f);
    for (const float sign : {-1.0f, 1.0f}) {
        EXPECT_FALSE(outside(sign * (side + 0.9f / sideNormal), 0, 10, 1)) << "reaches in across the side";
        EXPECT_TRUE(outside(sign * (side + 1.1f / sideNormal), 0, 10, 1)) << "wholly beside the view";
        EXPECT_FALSE(outside(0, sign * (top + 0.9f / topNormal), 10, 1)) << "reaches in across the top or bottom";
        EXPECT_TRUE(outside(0, sign * (top + 1.1f / topNormal), 10, 1)) << "wholly above or below";
    }
    // A mesh placed by a scaled, turned world matrix: the sphere is in the mesh's own space.
    const Matrix world = matrixScaling(0.1f) * matrixRotationY(1.0f) * matrixTranslation(0, 0, 10);
    EXPECT_FALSE(outsideViewVolume(world * toClip, {0, 0, 0, 2}));
    const Matrix aside = matrixScaling(0.1f) * matrixTranslation(side + 0.25f / sideNormal, 0, 10);
    EXPECT_FALSE(outsideViewVolume(aside * toClip, {0, 0, 0, 3})) << "0.3 across: reaches in";
    EXPECT_TRUE(outsideViewVolume(aside * toClip, {0, 0, 0, 2})) << "0.2 across: wholly beside";
}

}  // namespace vantrel::render
