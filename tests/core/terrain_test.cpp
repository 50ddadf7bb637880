#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fixtures.h"
#include "world/terrain.h"

using namespace vantrel;

namespace {

void setSample(World& w, int c, int r, uint8_t value) { w.heightmap[r * GRID_SIZE + c] = value; }

}  // namespace

TEST(Terrain, LevelGridGivesItsHeightEverywhereInside) {
    auto w = test::makeWorld();
    std::memset(w->heightmap, 50, sizeof w->heightmap);
    for (float x : {-400.0f, -123.4f, 0.0f, 391.9f}) {
        for (float z : {-400.0f, 17.0f, 391.9f}) EXPECT_NEAR(groundHeight(*w, x, z), 7.5f, 1e-5f);
    }
}

TEST(Terrain, GridPointsGiveTheirOwnHeight) {
    auto w = test::makeWorld();
    setSample(*w, 50, 50, 100);
    EXPECT_NEAR(groundHeight(*w, 0.0f, 0.0f), 15.0f, 1e-5f);
    EXPECT_NEAR(groundHeight(*w, 8.0f, 0.0f), 0.0f, 1e-5f);
    EXPECT_NEAR(groundHeight(*w, 4.0f, 0.0f), 7.5f, 1e-4f);
    // A sample's height is sample x 0.15 rounded once to float: 100 gives exactly 15.
    EXPECT_EQ(sampleHeight(*w, 50, 50), 15.0f);
    setSample(*w, 50, 50, 50);
    EXPECT_EQ(sampleHeight(*w, 50, 50), 7.5f);
}

TEST(Terrain, RaisedCornerBelongsOnlyToTheTriangleWithFuAtLeastFv) {
    auto w = test::makeWorld();
    const int c = 10, r = 20;
    setSample(*w, c + 1, r, 20);  // height 3
    const float x0 = c * 8.0f - 400.0f, z0 = r * 8.0f - 400.0f;
    EXPECT_NEAR(groundHeight(*w, x0 + 6.0f, z0 + 2.0f), 1.5f, 1e-5f);
    EXPECT_NEAR(groundHeight(*w, x0 + 2.0f, z0 + 6.0f), 0.0f, 1e-5f);
    // On the diagonal both triangles agree.
    EXPECT_NEAR(groundHeight(*w, x0 + 4.0f, z0 + 4.0f), 0.0f, 1e-5f);
}

TEST(Terrain, PointsOutsideTheGridUseTheEdgeCellAndNeverReadOutside) {
    auto w = test::makeWorld();
    std::memset(w->heightmap, 0, sizeof w->heightmap);
    setSample(*w, 99, 99, 200);
    setSample(*w, 0, 0, 100);
    // Far beyond the corners: the clamped edge cell's plane, finite and bounded by the grid.
    for (float x : {-5000.0f, -401.0f, 392.0f, 395.0f, 9000.0f}) {
        for (float z : {-5000.0f, 0.0f, 9000.0f}) {
            const float h = groundHeight(*w, x, z);
            EXPECT_TRUE(std::isfinite(h)) << x << "," << z;
        }
    }
    EXPECT_NEAR(groundHeight(*w, -400.0f, -400.0f), 15.0f, 1e-5f);
    EXPECT_NEAR(groundHeight(*w, 392.0f, 392.0f), 30.0f, 1e-4f);
}

TEST(Terrain, TriangleNormalIsTheUnscaledCrossProduct) {
    const Vec3 a{0, 0, 0}, b{8, 0, 0}, c{8, 0, 8};
    const Vec3 n = triangleNormal(a, b, c);
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 64.0f);  // upward for the order the terrain uses
    EXPECT_EQ(n.z, 0.0f);
}

TEST(Terrain, LoadFillsWhatTheFileHoldsAndAMissingFileChangesNothing) {
    auto w = test::makeWorld();
    std::memset(w->heightmap, 7, sizeof w->heightmap);
    EXPECT_FALSE(loadHeightmap(*w, "/nonexistent/map1.hd"));
    EXPECT_EQ(w->heightmap[0], 7);

    const std::string path = test::writeTempFile("short.hd", std::vector<uint8_t>(150, 9));
    EXPECT_TRUE(loadHeightmap(*w, path));
    EXPECT_EQ(w->heightmap[0], 9);
    EXPECT_EQ(w->heightmap[149], 9);
    EXPECT_EQ(w->heightmap[150], 7);
}
