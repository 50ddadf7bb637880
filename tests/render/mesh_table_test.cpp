// Mesh files read into the device's slots, and meshes drawn: lit, over their textures, and as
// many instances at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "render/device.h"
#include "render/meshes.h"

namespace vantrel::test {

namespace {

using render::Matrix;

class MeshTableTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        dir_ = makeTempDirectory("device-meshes");
        writeTextFile(dir_ + "/quads.x", TWO_QUADS_X);
        writeTextFile(dir_ + "/broken.x", "xof 0303txt 0032\nMesh { 3; 1.0;2.0;");
        // A material list that names no material: assimp 5.2 would crash on it.
        writeTextFile(dir_ + "/no-materials.x",
                      "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;\n"
                      "1; 3;0,1,2;;\nMeshMaterialList { 1; 1; 0;; }\n}\n");
    }
    std::string dir_;
};

// The two quads as one subset with one material.
std::string oneSubsetQuads() {
    std::string x = TWO_QUADS_X;
    const std::string twoMaterials = "      2;\n      4;\n      0,0,1,1;;\n";
    x.replace(x.find(twoMaterials), twoMaterials.size(), "      1;\n      4;\n      0,0,0,0;;\n");
    const size_t second = x.rfind("      Material {");
    x.erase(second, x.find('\n', second) + 1 - second);
    return x;
}

}  // namespace

TEST_F(MeshTableTest, MeshKeepsFileCoordinatesSubsetsAndFrameTransform) {
    const auto results = render::readMeshFiles({dir_ + "/quads.x"});
    const auto& mesh = results[0].data;
    ASSERT_TRUE(mesh) << results[0].error;
    ASSERT_EQ(mesh->subsets.size(), 2u);
    EXPECT_EQ(mesh->subsets[0].count, 6u);
    EXPECT_EQ(mesh->subsets[1].count, 6u);
    EXPECT_EQ(mesh->subsets[1].first, 6u);
    float minX = 1e9f, maxX = -1e9f;
    for (uint32_t i = 0; i < 6; ++i) {
        const auto& v = mesh->vertices[i];
        EXPECT_FLOAT_EQ(v.z, 5.0f);  // the frame's translation, in the file's left-handed axes
        EXPECT_FLOAT_EQ(v.ny, 1.0f);
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
    }
    EXPECT_FLOAT_EQ(minX, -2.0f);
    EXPECT_FLOAT_EQ(maxX, -0.5f);
    for (uint32_t i = 6; i < 12; ++i) {
        const auto& v = mesh->vertices[i];
        EXPECT_FLOAT_EQ(v.ny, -1.0f);
        if (v.x == 2.0f && v.y == -1.0f) {
            EXPECT_FLOAT_EQ(v.u, 0.25f);  // texture coordinates as written
            EXPECT_FLOAT_EQ(v.v, 0.75f);
        }
    }
}

TEST_F(MeshTableTest, SubsetCountsAndEmptySlots) {
    device().loadMeshes({{1, dir_ + "/quads.x"},
                         {2, dir_ + "/missing.x"},
                         {3, dir_ + "/broken.x"},
                         {4, dir_ + "/no-materials.x"},
                         {10, dir_ + "/quads.x"}});  // outside the table: ignored
    EXPECT_EQ(device().meshSubsetCount(1), 2u);
    EXPECT_EQ(device().meshSubsetCount(2), 0u);
    EXPECT_EQ(device().meshSubsetCount(3), 0u);
    EXPECT_EQ(device().meshSubsetCount(4), 0u);
    EXPECT_EQ(device().meshSubsetCount(-1), 0u);
    EXPECT_EQ(device().meshSubsetCount(10), 0u);
    EXPECT_EQ(device().failedDataFiles(), (std::vector<std::string>{"missing.x", "broken.x", "no-materials.x"}));

    device().clear(BLACK);
    lookForward(device());
    for (int slot : {2, 3, -1, 10}) device().drawMeshSubsets(slot);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
    device().drawMeshSubsets(1);
    EXPECT_EQ(pixelAt(frame(), LEFT_QUAD_X, 240), WHITE);  // unlit, untextured: the white material
    EXPECT_EQ(pixelAt(frame(), RIGHT_QUAD_X, 240), WHITE);

    device().releaseMeshes();
    EXPECT_EQ(device().meshSubsetCount(1), 0u);
    device().clear(BLACK);
    device().drawMeshSubsets(1);
    EXPECT_EQ(pixelAt(frame(), LEFT_QUAD_X, 240), BLACK);
    device().releaseMeshes();  // twice is harmless
}

// Damaged files that stop assimp itself (a crash on a negative count, a null material) or that
// it refuses are reported with the file's name; the files after them in the same batch load.
TEST(MeshFile, EachDamagedFileLeavesOnlyItsOwnMeshUnread) {
    const std::string dir = makeTempDirectory("mesh-file");
    writeTextFile(dir + "/quads.x", TWO_QUADS_X);
    writeTextFile(dir + "/negative-count.x", "xof 0303txt 0032\nMesh{-1;");
    writeTextFile(dir + "/no-materials.x",
                  "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;\n"
                  "1; 3;0,1,2;;\nMeshMaterialList { 1; 1; 0;; }\n}\n");
    writeTextFile(dir + "/truncated.x", "xof 0303txt 0032\nMesh { 3; 1.0;2.0;");
    const std::vector<std::string> names = {"quads.x",     "negative-count.x", "quads.x", "no-materials.x",
                                            "truncated.x", "missing.x",        "quads.x"};
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir + "/" + name);
    const auto results = render::readMeshFiles(paths);
    ASSERT_EQ(results.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == "quads.x") {
            ASSERT_TRUE(results[i].data) << i << ": " << results[i].error;
            EXPECT_EQ(results[i].data->vertices.size(), 12u);
        } else {
            EXPECT_FALSE(results[i].data) << names[i];
            EXPECT_NE(results[i].error.find(names[i]), std::string::npos) << results[i].error;
        }
    }
}

// Points and lines among the faces draw nothing; a polygon becomes a fan of whole triangles;
// a face naming a point the mesh lacks is left out.
TEST(MeshFile, MixedFacesGiveWholeTriangles) {
    const std::string dir = makeTempDirectory("mesh-faces");
    writeTextFile(dir + "/mixed.x",
                  "xof 0303txt 0032\nMesh { 5; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, "
                  "0.0;1.0;0.0;, 0.5;2.0;0.0;;\n"
                  "4; 1;0;, 2;0,1;, 5;0,1,2,4,3;, 3;0,1,9;;\n}\n");
    const auto results = render::readMeshFiles({dir + "/mixed.x"});
    ASSERT_TRUE(results[0].data) << results[0].error;
    const render::MeshData& mesh = *results[0].data;
    uint32_t total = 0;
    for (const auto& subset : mesh.subsets) total += subset.count;
    EXPECT_EQ(total, mesh.vertices.size());
    EXPECT_EQ(mesh.vertices.size(), 9u);  // the pentagon's three triangles
}

TEST_F(MeshTableTest, LightingBrightensTheSunFacingSide) {
    device().loadMeshes({{0, dir_ + "/quads.x"}});
    device().clear(BLACK);
    lookForward(device());
    device().setLighting(true);
    device().drawMeshSubsets(0);
    auto f = frame();
    // Facing the light: ambient 0.5 plus 0.95 of the light, saturated. Facing away: ambient only.
    EXPECT_TRUE(near(pixelAt(f, LEFT_QUAD_X, 240), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(f, RIGHT_QUAD_X, 240), 128, 128, 128));

    // Half a turn about x through the quads' plane leaves them in place but turns their normals.
    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(0, 0, -5) * render::matrixRotationX(PI) *
                      render::matrixTranslation(0, 0, 5));
    device().drawMeshSubsets(0);
    f = frame();
    EXPECT_TRUE(near(pixelAt(f, LEFT_QUAD_X, 240), 128, 128, 128));
    EXPECT_TRUE(near(pixelAt(f, RIGHT_QUAD_X, 240), 255, 255, 255));

    // Scaling leaves the lighting as it was: normals are used at unit length (doubled meshes
    // would otherwise get half-length normals and a dimmer sunny side).
    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(0, 0, -5) * render::matrixScaling(2.0f) *
                      render::matrixTranslation(0, 0, 5));
    device().drawMeshSubsets(0);
    EXPECT_TRUE(near(pixelAt(frame(), 320 - 208, 240), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(frame(), 320 + 208, 240), 128, 128, 128));

    device().setLighting(false);
    device().setWorld(render::matrixIdentity());
    device().drawMeshSubsets(0);
    EXPECT_EQ(pixelAt(frame(), RIGHT_QUAD_X, 240), WHITE);
}

// Meshes are white and opaque: over an opaque texture they cover what is under them exactly,
// over a half-transparent one they still blend.
TEST_F(DeviceTexturesTest, MeshesBlendOnlyWhereTheirTextureIsTranslucent) {
    const std::string dir = makeTempDirectory("device-texture-meshes");
    writeTextFile(dir + "/quads.x", TWO_QUADS_X);
    device().loadMeshes({{1, dir + "/quads.x"}});
    auto meshOver = [&](uint32_t clear, int texture) {
        device().clear(clear);
        lookForward(device());
        device().bindTexture(texture);
        device().drawMeshSubsets(1);
        return pixelAt(frame(), LEFT_QUAD_X, 240);
    };
    EXPECT_TRUE(near(meshOver(BLACK, 7), 200, 100, 40, 0));
    EXPECT_TRUE(near(meshOver(WHITE, 7), 200, 100, 40, 0));
    EXPECT_TRUE(near(meshOver(BLACK, 4), 128, 128, 128));
    EXPECT_TRUE(near(meshOver(0xFF0000FF, 4), 128, 128, 255));
    EXPECT_TRUE(near(meshOver(0xFF0000FF, -1), 255, 255, 255, 0)) << "white: no texture";
    device().bindTexture(4);
    drawScreenQuad(device(), 0, 0, 10, 10, WHITE);  // blending is on again after a mesh
    EXPECT_TRUE(near(pixelAt(frame(), 5, 5), 128, 128, 255));
}

// Half-transparent and overlapping at different depths, so any change of order, matrix or
// blending shows in the picture; for a mesh of one subset (drawn instanced) and of two.
TEST_F(DeviceTexturesTest, MeshInstancesDrawLikeOneMeshAfterAnother) {
    const std::string dir = makeTempDirectory("device-instances");
    writeTextFile(dir + "/one.x", oneSubsetQuads());
    writeTextFile(dir + "/two.x", TWO_QUADS_X);
    device().loadMeshes({{1, dir + "/one.x"}, {2, dir + "/two.x"}});
    ASSERT_EQ(device().meshSubsetCount(1), 1u);
    ASSERT_EQ(device().meshSubsetCount(2), 2u);
    const std::vector<Matrix> worlds = {render::matrixTranslation(0.0f, 0.0f, 0.0f),
                                        render::matrixTranslation(0.7f, 0.3f, -0.5f),
                                        render::matrixScaling(0.5f) * render::matrixTranslation(-0.4f, -0.2f, 1.0f),
                                        render::matrixRotationZ(0.6f) * render::matrixTranslation(0.2f, 0.1f, 0.3f)};
    for (int mesh : {1, 2}) {
        SCOPED_TRACE(mesh);
        auto picture = [&](bool instanced) {
            device().clear(BLACK);
            lookForward(device());
            device().setLighting(true);  // instances are drawn unlit whatever the setting
            device().bindTexture(4);
            if (instanced) {
                device().drawMeshInstances(mesh, worlds);
            } else {
                device().setLighting(false);
                for (const Matrix& w : worlds) {
                    device().setWorld(w);
                    device().drawMeshSubsets(mesh);
                }
            }
            device().setLighting(false);
            return frame();
        };
        const auto oneByOne = picture(false);
        EXPECT_GT(countPixels(oneByOne, 0, 0, 640, 480, [](uint32_t c) { return redOf(c) > 150; }), 1000)
            << "overlaps blend twice";
        EXPECT_EQ(picture(true), oneByOne);

        auto plain = [&] {
            device().clear(BLACK);
            lookForward(device());
            device().drawMeshSubsets(mesh);
            return frame();
        };
        const auto before = plain();
        device().drawMeshInstances(mesh, worlds);
        EXPECT_EQ(plain(), before) << "a plain draw after instances";
        device().drawMeshInstances(mesh, {});
        device().drawMeshInstances(5, worlds);  // an empty slot
        EXPECT_EQ(plain(), before);
    }
}

}  // namespace vantrel::test
