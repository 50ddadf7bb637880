#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "render/baked_mesh.h"
#include "render/device.h"
#include "render/glyph_atlas.h"
#include "render/meshes.h"

using namespace vantrel::render;

namespace {

const std::string DATA_DIR = std::string(VANTREL_BINARY_DIR) + "/data";

MeshData twoSubsets() {
    MeshData m;
    for (int i = 0; i < 6; ++i) {
        const float f = static_cast<float>(i);
        m.vertices.push_back({f, -f, 0.5f * f, 0.0f, 1.0f, -0.0f, f / 7.0f, 1.0f - f / 7.0f});
    }
    m.subsets = {{0, 3}, {3, 3}, {6, 0}};
    return m;
}

void expectSameMesh(const MeshData& a, const MeshData& b) {
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    ASSERT_EQ(a.subsets.size(), b.subsets.size());
    EXPECT_EQ(std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(MeshVertex)), 0);
    for (size_t i = 0; i < a.subsets.size(); ++i) {
        EXPECT_EQ(a.subsets[i].first, b.subsets[i].first);
        EXPECT_EQ(a.subsets[i].count, b.subsets[i].count);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void setWord(std::string& bytes, size_t offset, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(word >> (8 * i));
}

}  // namespace

TEST(BakedMesh, EveryDataMeshComesBackBitForBitAsTheXReaderMadeIt) {
    std::vector<std::string> paths;
    for (const char* file : MESH_FILES) paths.push_back(DATA_DIR + "/" + file);
    const std::vector<MeshFileResult> results = readMeshFiles(paths);
    for (size_t i = 0; i < results.size(); ++i) {
        ASSERT_TRUE(results[i].data) << results[i].error;
        std::string error;
        const auto back = readBakedMesh(bakeMesh(*results[i].data), error);
        ASSERT_TRUE(back) << paths[i] << ": " << error;
        expectSameMesh(*results[i].data, *back);
    }
}

TEST(BakedMesh, EveryTruncationAndAnyTrailingByteIsRefused) {
    const std::string bytes = bakeMesh(twoSubsets());
    std::string error;
    ASSERT_TRUE(readBakedMesh(bytes, error)) << error;
    for (size_t n = 0; n < bytes.size(); ++n) {
        error.clear();
        EXPECT_FALSE(readBakedMesh(std::string_view(bytes).substr(0, n), error)) << n << " bytes";
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(readBakedMesh(bytes + '\0', error));
    std::string wrongMagic = bytes;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(readBakedMesh(wrongMagic, error));
    EXPECT_EQ(error, "not a baked mesh");
}

TEST(BakedMesh, SubsetsThatAreNotTriangleListsInsideTheVerticesAreRefused) {
    const std::string good = bakeMesh(twoSubsets());
    constexpr size_t FIRST_SUBSET = 16;
    const struct { uint32_t first, count; } bad[] = {{0, 4}, {4, 3}, {6, 3}, {0xFFFFFFFFu, 3}, {3, 0xFFFFFFFDu}};
    for (const auto& b : bad) {
        std::string bytes = good;
        setWord(bytes, FIRST_SUBSET, b.first);
        setWord(bytes, FIRST_SUBSET + 4, b.count);
        std::string error;
        EXPECT_FALSE(readBakedMesh(bytes, error)) << b.first << " " << b.count;
        EXPECT_NE(error.find("subset 0"), std::string::npos) << error;
    }
}

TEST(BakeTool, TheBrowsersReadersFindEveryMeshAsTheDesktopReadsItAndEveryBakedFont) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("vantrel-bake-test-" + std::to_string(getpid()));
    const std::string tool = std::string(VANTREL_BINARY_DIR) + "/vantrel-bake";
    ASSERT_EQ(std::system((tool + " " + DATA_DIR + " " + out.string()).c_str()), 0);
    std::vector<std::string> desktopPaths, browserPaths;
    for (const char* file : MESH_FILES) {
        desktopPaths.push_back(DATA_DIR + "/" + file);
        browserPaths.push_back((out / file).string());  // the .x name: the reader finds the .mesh
    }
    const std::vector<MeshFileResult> desktop = readMeshFiles(desktopPaths);
    const std::vector<MeshFileResult> browser = readBakedMeshFiles(browserPaths);
    for (size_t i = 0; i < desktop.size(); ++i) {
        ASSERT_TRUE(desktop[i].data) << desktop[i].error;
        ASSERT_TRUE(browser[i].data) << browser[i].error;
        expectSameMesh(*desktop[i].data, *browser[i].data);
    }
    for (int designHeight : FONT_PIXEL_HEIGHTS) {
        for (int height : bakedFontHeights(designHeight)) {
            std::string error;
            const auto atlas = readBakedGlyphAtlas(readFile((out / bakedFontFile(height)).string()), error);
            ASSERT_TRUE(atlas) << height << ": " << error;
            EXPECT_EQ(atlas->lineHeight, height);
        }
    }
    const std::string missing = (out / "no-such-data").string();
    const std::string log = (out / "log").string();
    const int status = std::system((tool + " " + missing + " " + out.string() + " 2>" + log).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_NE(readFile(log).find("sky.x"), std::string::npos) << readFile(log);
    std::filesystem::remove_all(out);
}

TEST(BakedMesh, AMissingOrDamagedBakedFileEmptiesOnlyItsOwnSlotAndNamesIt) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantrel-baked-files-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream((dir / "good.mesh").string(), std::ios::binary) << bakeMesh(twoSubsets());
    std::ofstream((dir / "cut.mesh").string(), std::ios::binary) << bakeMesh(twoSubsets()).substr(0, 20);
    const auto results = readBakedMeshFiles(
        {(dir / "good.x").string(), (dir / "absent.x").string(), (dir / "cut.x").string(), (dir / "good").string()});
    ASSERT_EQ(results.size(), 4u);
    ASSERT_TRUE(results[0].data) << results[0].error;
    expectSameMesh(*results[0].data, twoSubsets());
    EXPECT_FALSE(results[1].data);
    EXPECT_NE(results[1].error.find("absent.mesh"), std::string::npos) << results[1].error;
    EXPECT_FALSE(results[2].data);
    EXPECT_NE(results[2].error.find("cut.mesh"), std::string::npos) << results[2].error;
    EXPECT_TRUE(results[3].data) << "a name without an extension gains one";
    EXPECT_EQ(bakedMeshPath("data.v2/sky"), "data.v2/sky.mesh");
    EXPECT_EQ(bakedMeshPath("/x/.hidden"), "/x/.hidden.mesh");
    std::filesystem::remove_all(dir);
}

TEST(BakedFonts, TheBrowserDrawsFromTheSmallestBakedHeightAtLeastAsTallElseTheTallest) {
    const std::vector<int> heights = bakedFontHeights(20);
    ASSERT_GE(heights.size(), 2u);
    EXPECT_EQ(heights.front(), 20);
    EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
    EXPECT_EQ(bakedFontHeightFor(20, 1), 20);
    EXPECT_EQ(bakedFontHeightFor(20, 20), 20);
    EXPECT_EQ(bakedFontHeightFor(20, 21), heights[1]);
    EXPECT_EQ(bakedFontHeightFor(20, heights.back() * 3), heights.back());
    EXPECT_EQ(bakedFontFile(40), "font-40.glyphs");
}
