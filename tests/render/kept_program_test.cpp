// The shader program kept between runs as the driver's binary, and meshes drawn from an index
// list of their distinct vertices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/gl_program.h"
#include "render/meshes.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

std::vector<char> bytesOf(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

std::vector<char> readAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Points the kept files at a fresh folder for one test, and back at what it was after.
class KeptFilesFolder {
public:
    explicit KeptFilesFolder(const std::string& name) : folder_(makeTempDirectory(name)) {
        if (const char* old = std::getenv("XDG_CACHE_HOME")) old_ = old;
        setenv("XDG_CACHE_HOME", folder_.c_str(), 1);
    }
    ~KeptFilesFolder() {
        if (old_) setenv("XDG_CACHE_HOME", old_->c_str(), 1);
        else unsetenv("XDG_CACHE_HOME");
    }
    KeptFilesFolder(const KeptFilesFolder&) = delete;
    KeptFilesFolder& operator=(const KeptFilesFolder&) = delete;

    std::filesystem::path programFile() const { return std::filesystem::path(folder_) / "vantrel" / "shader-program.bin"; }

private:
    std::string folder_;
    std::optional<std::string> old_;
};

bool builtFromKeptBinary() {
    render::FixedFunctionProgram program;
    std::string error;
    EXPECT_TRUE(render::buildFixedFunctionProgram(program, &error)) << error;
    const bool kept = program.fromKeptBinary;
    render::destroyFixedFunctionProgram(program);
    return kept;
}

}  // namespace

TEST(KeptProgramFile, GivesTheBinaryBackOnlyForTheSameKeyAndOnlyWhole) {
    const std::vector<char> binary = bytesOf(std::string("\x5f\x87\0\0binary\0bytes", 16));
    const std::vector<char> file = render::keptProgramFile("driver 1\nsources", binary);
    EXPECT_EQ(render::binaryInKeptFile("driver 1\nsources", file), binary);
    EXPECT_TRUE(render::binaryInKeptFile("driver 2\nsources", file).empty());
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsources changed", file).empty());
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsource", file).empty());
    const std::vector<char> headerOnly(file.begin(), file.end() - static_cast<std::ptrdiff_t>(binary.size()));
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsources", headerOnly).empty());
    const std::vector<char> cutInTheKey(file.begin(), file.begin() + 30);
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsources", cutInTheKey).empty());
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsources", {}).empty());
}

class KeptProgramTest : public RenderTest {};

TEST_F(KeptProgramTest, ASecondBuildLinksFromTheKeptBinaryAndADamagedOneIsCompiledAndReplaced) {
    const KeptFilesFolder folder("kept-program");
    EXPECT_FALSE(builtFromKeptBinary());
    ASSERT_TRUE(std::filesystem::exists(folder.programFile()));
    EXPECT_TRUE(builtFromKeptBinary());

    // The right header over bytes the driver cannot take.
    std::vector<char> damaged = readAll(folder.programFile());
    std::memset(damaged.data() + damaged.size() / 2, 0x5A, damaged.size() - damaged.size() / 2);
    std::ofstream(folder.programFile(), std::ios::binary).write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
    EXPECT_FALSE(builtFromKeptBinary());
    EXPECT_TRUE(builtFromKeptBinary());
}

TEST_F(KeptProgramTest, AnUnwritableFolderOnlyMeansCompilingEveryTime) {
    const KeptFilesFolder folder("kept-program-blocked");
    // A file where the folder would go.
    std::ofstream(folder.programFile().parent_path()) << "in the way";
    EXPECT_FALSE(builtFromKeptBinary());
    EXPECT_FALSE(builtFromKeptBinary());
}

// Lit aircraft, instanced projectiles, the terrain, effects and the head-up display, drawn by a
// device that compiled its program and could not keep it, one that compiled, kept it and linked
// it again on a fresh context, and one that linked the kept binary.
TEST_F(KeptProgramTest, DevicesWithACompiledARenewedAndAKeptProgramDrawTheSameMission) {
    const std::string data = builtDataDirectory();
    if (!std::filesystem::exists(data + "/plane1.x")) GTEST_SKIP() << "no generated data in " << data;
    std::unique_ptr<World> world = playerMissionWorld();
    for (int k = 1; k < 6; ++k) {
        Aircraft& a = world->aircraft[k];
        a = world->aircraft[0];
        a.z += 8.0f * static_cast<float>(k);
        a.x += 2.0f * static_cast<float>(k % 3) - 2.0f;
        a.type = static_cast<int8_t>(k % AIRCRAFT_TYPE_COUNT);
        a.side = 2;
        Projectile& p = world->projectiles[k];
        p.x = a.x + 1.0f, p.y = a.y, p.z = a.z - 3.0f;
        p.weapon = static_cast<int8_t>(k % WEAPON_TYPE_COUNT);
        p.side = 1, p.life = 50, p.target = -1;
    }
    const auto drawMission = [&]() {
        device_.reset();
        device_ = render::Device::initGraphics(window_, data);
        EXPECT_NE(device_, nullptr);
        if (!device_) return std::vector<uint32_t>{};
        device_->loadMeshTable(data);
        device_->createFont(0, 20);
        device_->createFont(1, 40);
        render::renderFrame(*device_, *world);
        return frame();
    };
    std::vector<uint32_t> compiled;
    {
        const KeptFilesFolder blocked("kept-program-none");
        std::ofstream(blocked.programFile().parent_path()) << "in the way";
        compiled = drawMission();
    }
    const KeptFilesFolder folder("kept-program-mission");
    const std::vector<uint32_t> renewed = drawMission();
    ASSERT_TRUE(std::filesystem::exists(folder.programFile()));
    const std::vector<uint32_t> kept = drawMission();
    EXPECT_GT(std::set<uint32_t>(compiled.begin(), compiled.end()).size(), 1000u) << "a whole scene was drawn";
    EXPECT_TRUE(compiled == renewed);
    EXPECT_TRUE(compiled == kept);
}

TEST(IndexMesh, KeepsTheTriangleListAndStoresEachDistinctVertexOnce) {
    const render::MeshVertex a{0, 0, 0, 0, 1, 0, 0, 0}, b{1, 0, 0, 0, 1, 0, 1, 0}, c{1, 0, 1, 0, 1, 0, 1, 1},
        d{0, 0, 1, 0, 1, 0, 0, 1};
    render::MeshVertex aOtherNormal = a, aNegativeZero = a;
    aOtherNormal.ny = -1.0f;
    aNegativeZero.x = -0.0f;
    const std::vector<render::MeshVertex> list = {a, b, c, a, c, d, aOtherNormal, c, b, aNegativeZero, d, c};
    const render::IndexedMesh mesh = render::indexMesh(list);
    ASSERT_EQ(mesh.indices.size(), list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        ASSERT_LT(mesh.indices[k], mesh.vertices.size());
        EXPECT_EQ(std::memcmp(&mesh.vertices[mesh.indices[k]], &list[k], sizeof(render::MeshVertex)), 0) << "vertex " << k;
    }
    EXPECT_EQ(mesh.vertices.size(), 6u);  // a, b, c, d, and the two near copies of a
}

}  // namespace vantrel::test
