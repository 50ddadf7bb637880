#include "render/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "render/effects_draw.h"
#include "render/frame.h"
#include "render/quality.h"
#include "render_fixture.h"
#include "sim/vecmath.h"
#include "tests/core/fixtures.h"
#include "world/terrain.h"

namespace vantrel::render {
namespace {

constexpr float NEAR = 1e-4f;

Vec3 apply(const Matrix& m, Vec3 p) { return transformCoord(p, m); }

Vec3 direction(const Matrix& m, Vec3 d) {
    const Vec3 a = apply(m, d), o = apply(m, Vec3{0.0f, 0.0f, 0.0f});
    return Vec3{a.x - o.x, a.y - o.y, a.z - o.z};
}

void expectNear(const Vec3& a, const Vec3& b, float tolerance = NEAR) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

using test::alphaOf;
using test::blueOf;
using test::greenOf;
using test::redOf;

struct Attitude {
    float pitch, heading, roll;
};
constexpr Attitude ATTITUDES[] = {{0.0f, 0.0f, 0.0f}, {0.4f, 1.1f, -0.7f}, {-1.2f, -2.5f, 2.0f}, {1.5f, 3.0f, 0.3f}};

// Aircraft meshes are drawn with heading + PI: their model nose is -z, up +y, the pilot's right
// -x. In the world they must point where the flight model's body axes point.
TEST(Scene, AircraftMatrixPutsTheNoseAndUpWhereTheFlightModelDoes) {
    for (const Attitude& a : ATTITUDES) {
        const Matrix m = meshWorldMatrix(Pose{{0.0f, 0.0f, 0.0f}, a.pitch, a.heading + PI, a.roll}, 1.0f);
        Vec3 nose{0.0f, 0.0f, 1.0f}, up{0.0f, 1.0f, 0.0f}, right{1.0f, 0.0f, 0.0f};
        rotateLocalToWorld(nose, a.roll, a.pitch, a.heading);
        rotateLocalToWorld(up, a.roll, a.pitch, a.heading);
        rotateLocalToWorld(right, a.roll, a.pitch, a.heading);
        expectNear(direction(m, Vec3{0.0f, 0.0f, -1.0f}), nose);
        expectNear(direction(m, Vec3{0.0f, 1.0f, 0.0f}), up);
        expectNear(direction(m, Vec3{-1.0f, 0.0f, 0.0f}), right);
    }
}

// Projectiles are drawn with pitch and roll negated and the heading as it is: model nose +z.
TEST(Scene, ProjectileMatrixPutsTheNoseAlongTheFlightPath) {
    for (const Attitude& a : ATTITUDES) {
        const Matrix m = meshWorldMatrix(Pose{{0.0f, 0.0f, 0.0f}, -a.pitch, a.heading, -a.roll}, 1.0f);
        Vec3 nose{0.0f, 0.0f, 1.0f}, up{0.0f, 1.0f, 0.0f};
        rotateLocalToWorld(nose, a.roll, a.pitch, a.heading);
        rotateLocalToWorld(up, a.roll, a.pitch, a.heading);
        expectNear(direction(m, Vec3{0.0f, 0.0f, 1.0f}), nose);
        expectNear(direction(m, Vec3{0.0f, 1.0f, 0.0f}), up);
    }
}

TEST(Scene, MeshMatrixScalesBeforeMoving) {
    const Matrix m = meshWorldMatrix(Pose{{10.0f, -3.0f, 7.0f}, 0.0f, 0.0f, 0.0f}, 0.2f);
    expectNear(apply(m, Vec3{5.0f, 0.0f, -10.0f}), Vec3{11.0f, -3.0f, 5.0f});
}

TEST(Scene, DrawDistanceIsHorizontalAndStrict) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {10.0f, 500.0f, -20.0f};
    EXPECT_TRUE(withinDrawDistance(*w, 10.0f + 99.9f, -20.0f));
    EXPECT_FALSE(withinDrawDistance(*w, 10.0f + 100.0f, -20.0f));
    EXPECT_FALSE(withinDrawDistance(*w, 10.0f - 60.0f, -20.0f + 80.0f));  // 3-4-5: exactly 100
    EXPECT_TRUE(withinDrawDistance(*w, 10.0f, -20.0f - 99.9f));
}

TEST(Scene, TerrainAlphaFadesFrom56To80) {
    EXPECT_EQ(terrainAlpha(0.0f), 255);
    EXPECT_EQ(terrainAlpha(56.0f), 255);
    EXPECT_EQ(terrainAlpha(56.01f), 192);
    EXPECT_EQ(terrainAlpha(56.1f), 191);
    EXPECT_EQ(terrainAlpha(79.9f), 1);
    EXPECT_EQ(terrainAlpha(80.0f), 0);
    EXPECT_EQ(terrainAlpha(1000.0f), 0);
    EXPECT_EQ(terrainAlpha(INFINITY), 0);
    EXPECT_EQ(terrainAlpha(std::nanf("")), 0);
    for (float d = 56.0f; d < 80.0f; d += 0.37f) EXPECT_GE(terrainAlpha(d), terrainAlpha(d + 0.37f));
}

TEST(Scene, FaceShadeFollowsTheSun) {
    Vec3 towardSun{-0.1f, 0.7f, -0.2f};
    EXPECT_EQ(faceShade(towardSun), 0);
    EXPECT_EQ(faceShade(Vec3{0.1f, -0.7f, 0.2f}), 180);
    EXPECT_EQ(faceShade(Vec3{0.0f, 1.0f, 0.0f}), 18);
    EXPECT_EQ(faceShade(Vec3{0.0f, 64.0f, 0.0f}), 18);  // normals arrive unnormalised
    EXPECT_LT(faceShade(Vec3{0.0f, 1.0f, -0.3f}), 18);  // tilted toward the sun
    EXPECT_GT(faceShade(Vec3{0.0f, 1.0f, 0.3f}), 18);
}

TEST(Scene, LevelGroundColourAndBorderTint) {
    EXPECT_EQ(terrainColour(255, 18, borderTint(40, 50)), 0xFFEDEDEDu);
    EXPECT_EQ(terrainColour(255, 18, borderTint(11, 50)), 0xFFEDCFCFu);
    EXPECT_EQ(terrainColour(192, 18, borderTint(40, 88)), 0xC0EDCFCFu);
    EXPECT_EQ(borderTint(12, 87), 0);
    EXPECT_EQ(borderTint(88, 11), 30);
}

struct Triangle {
    WorldVertex v[3];
};

std::vector<Triangle> terrainTriangles(const World& w) {
    std::vector<WorldVertex> vertices;
    buildTerrainTriangles(w, vertices);
    EXPECT_EQ(vertices.size() % 3, 0u);
    std::vector<Triangle> out(vertices.size() / 3);
    for (size_t k = 0; k < out.size(); ++k) {
        for (int c = 0; c < 3; ++c) out[k].v[c] = vertices[3 * k + c];
    }
    return out;
}

bool opaqueTriangle(const WorldVertex* v) {
    return alphaOf(v[0].diffuse) == 255 && alphaOf(v[1].diffuse) == 255 && alphaOf(v[2].diffuse) == 255;
}

bool sameVertex(const WorldVertex& a, const WorldVertex& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.diffuse == b.diffuse && a.u == b.u && a.v == b.v;
}

// The two lists, read in turn by each triangle's opacity, give back the one list.
TEST(Scene, TerrainSplitByOpacityKeepsEveryTriangleAndItsOrder) {
    auto w = test::makeWorld();
    for (int k = 0; k < GRID_SIZE * GRID_SIZE; ++k) w->heightmap[k] = static_cast<uint8_t>((k * 37) % 200);
    w->seats[PLAYER_SEAT].cameraPos = {12.0f, 40.0f, -30.0f};
    std::vector<WorldVertex> all, opaque, faded;
    buildTerrainTriangles(*w, all);
    TerrainTriangles split{opaque, faded};
    buildTerrainTriangles(*w, split);
    ASSERT_GT(opaque.size(), 0u);
    ASSERT_GT(faded.size(), 0u);
    ASSERT_EQ(opaque.size() + faded.size(), all.size());
    size_t nextOpaque = 0, nextFaded = 0;
    for (size_t t = 0; t < all.size(); t += 3) {
        const bool isOpaque = opaqueTriangle(&all[t]);
        std::vector<WorldVertex>& list = isOpaque ? opaque : faded;
        size_t& next = isOpaque ? nextOpaque : nextFaded;
        ASSERT_LT(next, list.size());
        for (int c = 0; c < 3; ++c) EXPECT_TRUE(sameVertex(all[t + c], list[next + c])) << "triangle " << t / 3;
        next += 3;
    }
}

// A shorter reach draws only the nearer ground, opaque and faded nearer in, and the near ground
// as before.
TEST(Scene, ShorterTerrainReachDrawsTheNearGroundAndFadesSooner) {
    auto w = test::makeWorld();
    for (int k = 0; k < GRID_SIZE * GRID_SIZE; ++k) w->heightmap[k] = static_cast<uint8_t>((k * 37) % 200);
    const Vec3 eye{12.0f, 40.0f, -30.0f};
    w->seats[PLAYER_SEAT].cameraPos = eye;
    std::vector<WorldVertex> full, near;
    buildTerrainTriangles(*w, full);
    buildTerrainTriangles(*w, near, 0.75f);
    ASSERT_GT(near.size(), 0u);
    EXPECT_LT(near.size(), full.size() * 3 / 4);
    float farthestSeen = 0, nearestFaded = 1e9f;
    for (const WorldVertex& v : near) {
        const float d = std::hypot(v.x - eye.x, v.z - eye.z);
        if (alphaOf(v.diffuse) > 0) farthestSeen = std::max(farthestSeen, d);
        if (alphaOf(v.diffuse) < 255) nearestFaded = std::min(nearestFaded, d);
        if (d <= 30.0f) {
            EXPECT_EQ(alphaOf(v.diffuse), 255) << d;
        }
    }
    EXPECT_LT(farthestSeen, 60.0f);
    EXPECT_GT(nearestFaded, 42.0f);
}

int gridIndex(float worldCoordinate) { return static_cast<int>(std::lround((worldCoordinate + 400.0f) / 8.0f)); }

struct Cell {
    int i, j;
};

Cell cellOf(const Triangle& t) {
    const int i = std::min({gridIndex(t.v[0].x), gridIndex(t.v[1].x), gridIndex(t.v[2].x)});
    const int j = std::min({gridIndex(t.v[0].z), gridIndex(t.v[1].z), gridIndex(t.v[2].z)});
    return Cell{i, j};
}

bool corners(const Triangle& t, const Cell (&expected)[3]) {
    for (int k = 0; k < 3; ++k) {
        if (gridIndex(t.v[k].x) != expected[k].i || gridIndex(t.v[k].z) != expected[k].j) return false;
    }
    return true;
}

float horizontal(const World& w, const WorldVertex& v) {
    return std::hypot(w.seats[PLAYER_SEAT].cameraPos.x - v.x, w.seats[PLAYER_SEAT].cameraPos.z - v.z);
}

TEST(Scene, TerrainVerticesSampleTheGridByColumnAndRow) {
    auto w = test::makeWorld();
    for (int r = 0; r < GRID_SIZE; ++r) {
        for (int c = 0; c < GRID_SIZE; ++c) w->heightmap[r * GRID_SIZE + c] = static_cast<uint8_t>(c + 2 * r);
    }
    w->seats[PLAYER_SEAT].cameraPos = {-100.0f, 30.0f, 40.0f};
    const auto triangles = terrainTriangles(*w);
    ASSERT_FALSE(triangles.empty());
    for (const Triangle& t : triangles) {
        for (const WorldVertex& v : t.v) {
            const int a = gridIndex(v.x), b = gridIndex(v.z);
            EXPECT_FLOAT_EQ(v.y, 0.15f * static_cast<float>(a + 2 * b));
            EXPECT_NEAR(v.u, a / 99.0f, 1e-6f);
            EXPECT_NEAR(v.v, b / 99.0f, 1e-6f);
        }
    }
}

TEST(Scene, TerrainCellsComeColumnsOuterWithTwoTrianglesInOrder) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {13.0f, 20.0f, -27.0f};
    const auto triangles = terrainTriangles(*w);
    ASSERT_GE(triangles.size(), 2u);
    int last = -1;
    for (const Triangle& t : triangles) {
        const auto [i, j] = cellOf(t);
        const bool first = corners(t, {{i + 1, j + 1}, {i + 1, j}, {i, j}});   // C B A
        const bool second = corners(t, {{i, j}, {i, j + 1}, {i + 1, j + 1}});  // A D C
        ASSERT_TRUE(first || second);
        const int place = (i * 100 + j) * 2 + (second ? 1 : 0);
        EXPECT_GT(place, last);
        last = place;
    }
}

TEST(Scene, TerrainWindowKeepsCellsWithin96AndDropsFadedTriangles) {
    auto w = test::makeWorld();
    for (const auto& camera :
         {std::pair{0.0f, 0.0f}, std::pair{-397.3f, 12.9f}, std::pair{301.7f, -388.2f}, std::pair{123.4f, 56.7f}}) {
        const float cx = camera.first, cz = camera.second;  // named copies: clang 14 cannot capture bindings
        w->seats[PLAYER_SEAT].cameraPos = {cx, 20.0f, cz};
        const auto triangles = terrainTriangles(*w);
        bool sawPartlyFaded = false;
        std::vector<int> perCell(GRID_SIZE * GRID_SIZE, 0);
        for (const Triangle& t : triangles) {
            const auto [i, j] = cellOf(t);
            ++perCell[i * GRID_SIZE + j];
            EXPECT_LT(std::hypot(8.0f * i - 396.0f - cx, 8.0f * j - 396.0f - cz), 96.0f);
            int faded = 0;
            for (const WorldVertex& v : t.v) {
                const float d = horizontal(*w, v);
                if (d < 55.9f) {
                    EXPECT_EQ(alphaOf(v.diffuse), 255);
                } else if (d > 80.1f) {
                    EXPECT_EQ(alphaOf(v.diffuse), 0);
                }
                faded += alphaOf(v.diffuse) == 0;
            }
            EXPECT_LT(faded, 3);
            sawPartlyFaded = sawPartlyFaded || faded > 0;
        }
        EXPECT_TRUE(sawPartlyFaded);
        // Corners A and C are in both triangles of a cell: either inside 80 brings both.
        for (int i = 0; i < GRID_SIZE - 1; ++i) {
            for (int j = 0; j < GRID_SIZE - 1; ++j) {
                auto distance = [&](int a, int b) {
                    return std::hypot(8.0f * a - 400.0f - cx, 8.0f * b - 400.0f - cz);
                };
                if (std::hypot(8.0f * i - 396.0f - cx, 8.0f * j - 396.0f - cz) >= 95.9f) continue;
                if (std::min(distance(i, j), distance(i + 1, j + 1)) < 79.9f) {
                    EXPECT_EQ(perCell[i * GRID_SIZE + j], 2) << "cell " << i << "," << j;
                }
                if (std::min({distance(i, j), distance(i + 1, j), distance(i + 1, j + 1), distance(i, j + 1)}) >
                    80.1f) {
                    EXPECT_EQ(perCell[i * GRID_SIZE + j], 0) << "cell " << i << "," << j;
                }
            }
        }
    }
}

TEST(Scene, NoTerrainAroundACameraOffTheGridOrNotANumber) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {600.0f, 20.0f, 0.0f};
    EXPECT_TRUE(terrainTriangles(*w).empty());
    w->seats[PLAYER_SEAT].cameraPos = {std::nanf(""), 20.0f, std::nanf("")};
    EXPECT_TRUE(terrainTriangles(*w).empty());
    w->seats[PLAYER_SEAT].cameraPos = {-INFINITY, 20.0f, INFINITY};
    EXPECT_TRUE(terrainTriangles(*w).empty());
}

TEST(Scene, TerrainStopsAtTheGridEdge) {
    auto w = test::makeWorld();
    w->seats[PLAYER_SEAT].cameraPos = {-400.0f, 20.0f, 396.0f};
    const auto triangles = terrainTriangles(*w);
    ASSERT_FALSE(triangles.empty());
    for (const Triangle& t : triangles) {
        for (const WorldVertex& v : t.v) {
            EXPECT_GE(v.x, -400.0f);
            EXPECT_LE(v.z, 392.0f);
        }
    }
}

TEST(Scene, SlopesFacingTheSunAreLighter) {
    auto w = test::makeWorld();
    // Ground rising toward +z faces the sun, which shines toward +z.
    for (int r = 0; r < GRID_SIZE; ++r) {
        for (int c = 0; c < GRID_SIZE; ++c)
            w->heightmap[r * GRID_SIZE + c] = static_cast<uint8_t>(r <= 50 ? 4 * r : 400 - 4 * r);
    }
    w->seats[PLAYER_SEAT].cameraPos = {0.0f, 40.0f, 0.0f};
    for (const Triangle& t : terrainTriangles(*w)) {
        const int j = cellOf(t).j;
        const uint8_t red = redOf(t.v[0].diffuse);
        if (j < 50) {
            EXPECT_GT(red, 0xED);
        } else {
            EXPECT_LT(red, 0xED);
        }
    }
}

// --- Drawn pictures -------------------------------------------------------------------------

constexpr uint32_t CLEAR = 0xFF1464FF;
constexpr int CX = 320, CY = 240;

// A square of side 2 * half model units with normals along +y (lying flat) or -z (standing,
// facing an unturned camera).
std::string squareMesh(float half, bool flat) {
    std::ostringstream x;
    const float h = half;
    x << "xof 0303txt 0032\nMesh Square {\n 4;\n";
    if (flat) {
        x << -h << ";0.0;" << h << ";, " << h << ";0.0;" << h << ";, " << h << ";0.0;" << -h << ";, " << -h << ";0.0;"
          << -h << ";;\n";
    } else {
        x << -h << ";" << h << ";0.0;, " << h << ";" << h << ";0.0;, " << h << ";" << -h << ";0.0;, " << -h << ";" << -h
          << ";0.0;;\n";
    }
    x << " 2;\n 3;0,1,2;, 3;0,2,3;;\n MeshNormals {\n  4;\n";
    const char* n = flat ? "0.0;1.0;0.0;" : "0.0;0.0;-1.0;";
    x << "  " << n << ", " << n << ", " << n << ", " << n << ";\n  2;\n  3;0,1,2;, 3;0,2,3;;\n }\n";
    x << " MeshTextureCoords {\n  4;\n  0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;;\n }\n}\n";
    return x.str();
}

class SceneRender : public test::RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        world_ = test::makeWorld();
        meshDir_ = test::makeTempDirectory("scene-meshes");
    }

    void loadSquare(int meshSlot, float half, bool flat) {
        const std::string path = meshDir_ + "/square" + std::to_string(meshSlot) + ".x";
        test::writeTextFile(path, squareMesh(half, flat));
        device().loadMeshes({{meshSlot, path}});
        ASSERT_GT(device().meshSubsetCount(meshSlot), 0u);
    }

    // Clears and sets projection and view from the camera, drawing no scene (mode 0).
    void startFrame() {
        const int32_t mode = world_->gameMode;
        world_->gameMode = MODE_NONE;
        render::renderFrame(device(), *world_);
        world_->gameMode = mode;
    }

    void drawLitAircraft() {
        device().setLighting(true);
        drawAircraft(device(), *world_);
        device().setLighting(false);
    }

    int drawnPixels() {
        const auto f = frame();
        return test::countPixels(f, 0, 0, render::SCREEN_WIDTH, render::SCREEN_HEIGHT,
                                 [](uint32_t c) { return c != CLEAR; });
    }

    void levelGround(uint8_t height) { std::fill(std::begin(world_->heightmap), std::end(world_->heightmap), height); }

    void addAircraftAt(int slot, float x, float y, float z) {
        Aircraft& a = world_->aircraft[slot];
        a = Aircraft{};
        a.x = x;
        a.y = y;
        a.z = z;
        a.side = 1;
        a.type = 0;  // mesh 1
    }

    std::unique_ptr<World> world_;
    std::string meshDir_;
};

void expectColour(uint32_t actual, uint32_t expected, int tolerance = 1) {
    EXPECT_NEAR(redOf(actual), redOf(expected), tolerance) << std::hex << actual;
    EXPECT_NEAR(greenOf(actual), greenOf(expected), tolerance) << std::hex << actual;
    EXPECT_NEAR(blueOf(actual), blueOf(expected), tolerance) << std::hex << actual;
}

TEST_F(SceneRender, ModesWithoutAScreenShowOnlyTheClearColour) {
    levelGround(40);
    world_->seats[PLAYER_SEAT].cameraPitch = -1.2f;
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, 0.0f};
    for (int32_t mode : {0, 3}) {
        world_->gameMode = mode;
        render::renderFrame(device(), *world_);
        EXPECT_EQ(drawnPixels(), 0) << "mode " << mode;
    }
    world_->gameMode = MODE_MISSION;  // the same world does draw in a mission
    render::renderFrame(device(), *world_);
    EXPECT_GT(drawnPixels(), 100000);
}

TEST_F(SceneRender, LevelGroundBelowIsOpaqueLightGreyAndTintedOnTheBorder) {
    levelGround(40);
    world_->seats[PLAYER_SEAT].cameraPitch = -1.5f;
    world_->seats[PLAYER_SEAT].cameraPos = {20.0f, 30.0f, 4.0f};
    startFrame();
    drawTerrain(device(), *world_);
    expectColour(test::pixelAt(frame(), CX, CY), 0xFFEDEDED);

    world_->seats[PLAYER_SEAT].cameraPos = {-308.0f, 30.0f, 4.0f};  // over column 11
    startFrame();
    drawTerrain(device(), *world_);
    expectColour(test::pixelAt(frame(), CX, CY), 0xFFEDCFCF);
}

// Looking level over flat ground from 10 above it: the ground row of horizontal distance d lies
// 240 * (10 / d) / tan(30 degrees) pixels below the centre.
TEST_F(SceneRender, TerrainFadesIntoTheClearColourBetween56And80) {
    levelGround(40);
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 16.0f, 0.0f};
    startFrame();
    drawTerrain(device(), *world_);
    const auto f = frame();
    auto rowAt = [](double d) { return CY + static_cast<int>(240.0 * (10.0 / d) / std::tan(30.0 * DEG)); };
    expectColour(test::pixelAt(f, CX, rowAt(40.0)), 0xFFEDEDED);
    expectColour(test::pixelAt(f, CX, rowAt(90.0)), CLEAR, 0);
    int previousRed = 255;
    for (double d : {60.0, 66.0, 72.0, 78.0}) {
        const uint32_t c = test::pixelAt(f, CX, rowAt(d));
        EXPECT_LT(redOf(c), 0xED);
        EXPECT_GT(blueOf(c), 0xED);
        EXPECT_LE(redOf(c), previousRed);
        previousRed = redOf(c);
    }
}

TEST_F(SceneRender, AircraftDrawnInside100AtAnyHeightAndNotAt100) {
    loadSquare(1, 40.0f, false);
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, 0.0f};
    addAircraftAt(3, 0.0f, 20.0f, 99.9f);
    startFrame();
    drawLitAircraft();
    EXPECT_GT(drawnPixels(), 100);

    world_->aircraft[3].z = 100.0f;
    startFrame();
    drawLitAircraft();
    EXPECT_EQ(drawnPixels(), 0);

    world_->aircraft[3].z = 60.0f;  // 99.9 away only counting height: still drawn
    world_->aircraft[3].y = 100.0f;
    world_->seats[PLAYER_SEAT].cameraPitch = std::atan2(80.0f, 60.0f);
    startFrame();
    drawLitAircraft();
    EXPECT_GT(drawnPixels(), 100);

    world_->aircraft[3].side = 0;
    startFrame();
    drawLitAircraft();
    EXPECT_EQ(drawnPixels(), 0);
}

TEST_F(SceneRender, CockpitViewHidesOnlyThePlayer) {
    loadSquare(1, 10.0f, false);
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, 0.0f};
    addAircraftAt(0, -3.0f, 20.0f, 10.0f);
    addAircraftAt(1, 3.0f, 20.0f, 10.0f);
    world_->seats[PLAYER_SEAT].slot = 1;
    auto drawnLeftAndRight = [&] {
        const auto f = frame();
        auto drawn = [](uint32_t c) { return c != CLEAR; };
        return std::pair{test::countPixels(f, 0, 0, CX, 480, drawn), test::countPixels(f, CX, 0, 640, 480, drawn)};
    };
    world_->seats[PLAYER_SEAT].cockpitView = 1;
    startFrame();
    drawLitAircraft();
    const auto [leftCockpit, rightCockpit] = drawnLeftAndRight();
    EXPECT_GT(leftCockpit, 100);
    EXPECT_EQ(rightCockpit, 0);

    world_->seats[PLAYER_SEAT].cockpitView = 0;
    startFrame();
    drawLitAircraft();
    EXPECT_GT(drawnLeftAndRight().second, 100);
}

TEST_F(SceneRender, LightingBrightensTheSunFacingSide) {
    loadSquare(1, 10.0f, true);
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 30.0f, 0.0f};
    world_->seats[PLAYER_SEAT].cameraPitch = -1.5f;
    addAircraftAt(0, 0.0f, 20.0f, 0.0f);
    startFrame();
    drawLitAircraft();
    const uint32_t up = test::pixelAt(frame(), CX, CY);

    world_->aircraft[0].roll = PI;  // upside down: the same square now faces away
    startFrame();
    drawLitAircraft();
    const uint32_t down = test::pixelAt(frame(), CX, CY);
    EXPECT_GT(redOf(up), redOf(down) + 60);
    EXPECT_GT(redOf(down), 60);  // the ambient level still shows it

    startFrame();  // unlit, the same square is plain white whichever way it faces
    drawAircraft(device(), *world_);
    expectColour(test::pixelAt(frame(), CX, CY), 0xFFFFFFFF);
}

// In a mission frame only the aircraft are lit: the terrain keeps its plain vertex colour, and an
// upside-down square (facing away from the sun) shows the ambient level alone.
TEST_F(SceneRender, MissionFrameLightsTheAircraftOnly) {
    loadSquare(1, 10.0f, true);
    levelGround(40);
    world_->gameMode = MODE_MISSION;
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 40.0f, 0.0f};
    world_->seats[PLAYER_SEAT].cameraPitch = -1.5f;
    addAircraftAt(0, 6.0f, 20.0f, 5.0f);
    world_->aircraft[0].roll = PI;
    world_->seats[PLAYER_SEAT].slot = 5;
    render::renderFrame(device(), *world_);
    const auto f = frame();
    expectColour(test::pixelAt(f, 500, 380), 0xFFEDEDED);
    expectColour(test::pixelAt(f, 445, 136), 0xFF808080, 2);
}

TEST_F(SceneRender, ProjectilesUseTheirWeaponMeshWithin100) {
    loadSquare(8, 100.0f, false);  // the rocket's mesh; gun shots (mesh 2) are left empty
    world_->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, 0.0f};
    Projectile& p = world_->projectiles[17];
    p.z = 99.9f;
    p.y = 20.0f;
    p.side = 2;
    p.weapon = WEAPON_ROCKET;
    startFrame();
    drawProjectiles(device(), *world_);
    EXPECT_GT(drawnPixels(), 100);

    p.z = 100.0f;
    startFrame();
    drawProjectiles(device(), *world_);
    EXPECT_EQ(drawnPixels(), 0);

    p.z = 50.0f;
    p.weapon = WEAPON_GUN;
    startFrame();
    drawProjectiles(device(), *world_);
    EXPECT_EQ(drawnPixels(), 0);
}

// The game's own sky, map and heights.
class GameDataScene : public SceneRender {
protected:
    std::string dataDirectory() override { return test::builtDataDirectory(); }

    void SetUp() override {
        SceneRender::SetUp();
        if (HasFatalFailure()) return;
        const std::string data = test::builtDataDirectory();
        ASSERT_TRUE(loadHeightmap(*world_, data + "/map1.hd")) << data;
        device().loadMeshTable(data);
        ASSERT_GT(device().meshSubsetCount(SKY_MESH), 0u);
    }

    // The camera above the ground by the pose's height.
    void placeCamera(const Pose& p) {
        Seat& seat = world_->seats[PLAYER_SEAT];
        seat.cameraPos = p.position;
        seat.cameraPos.y += groundHeight(*world_, p.position.x, p.position.z);
        seat.cameraPitch = p.pitch;
        seat.cameraHeading = p.heading;
        seat.cameraRoll = p.roll;
    }
};

// Low over hills, high above them, looking up, down and across the faded edge.
TEST_F(GameDataScene, SkyAndTerrainTogetherDrawWhatTheyDrawOneAfterTheOther) {
    const Pose poses[] = {{{0.0f, 30.0f, 0.0f}, -0.1f, 0.0f, 0.0f},
                          {{120.0f, 22.0f, -80.0f}, -0.3f, 2.0f, 0.4f},
                          {{-150.0f, 60.0f, 40.0f}, -0.9f, -1.0f, 0.0f},
                          {{60.0f, 18.0f, 150.0f}, 0.5f, 4.0f, -0.8f},
                          {{-40.0f, 120.0f, -200.0f}, -0.05f, 0.7f, 0.1f}};
    for (const Pose& p : poses) {
        placeCamera(p);
        startFrame();
        drawSky(device(), *world_);
        device().bindTexture(TERRAIN_TEXTURE);
        drawTerrain(device(), *world_);
        const auto oneAfterTheOther = frame();
        startFrame();
        drawSkyAndTerrain(device(), *world_);
        const auto together = frame();
        EXPECT_EQ(together, oneAfterTheOther) << "camera at " << p.position.x << ", " << p.position.z;
    }
}

// Low shows the sky's nearest texels; the ground drawn after the sky keeps the view's filtering.
TEST_F(GameDataScene, ANearestSkyLeavesTheGroundDrawnAfterItFiltered) {
    const RenderQuality nearestSky = renderQuality(Quality::Low, 1.0f);
    RenderQuality smoothSky = nearestSky;
    smoothSky.smoothSky = true;
    const auto skyThenGround = [&](const RenderQuality& quality) {
        device().setQuality(quality);
        startFrame();
        device().drawWorldView([&] {
            drawSky(device(), *world_);
            device().bindTexture(TERRAIN_TEXTURE);
            drawTerrain(device(), *world_);
        });
        return frame();
    };

    placeCamera({{0.0f, 30.0f, 0.0f}, 0.2f, 0.0f, 0.0f});
    EXPECT_NE(skyThenGround(nearestSky), skyThenGround(smoothSky)) << "looking up at the sky";

    placeCamera({{0.0f, 30.0f, 0.0f}, -1.4f, 0.0f, 0.0f});
    EXPECT_EQ(skyThenGround(nearestSky), skyThenGround(smoothSky)) << "looking down at the ground";
}

}  // namespace
}  // namespace vantrel::render
