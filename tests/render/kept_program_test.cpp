// The shader program kept between runs as the driver's binary, and meshes drawn from an index
// list of their distinct vertices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/gl_program.h"
#include "render/meshes.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

// Points the kept files at a fresh folder for the rest of this process; the program's file there.
std::filesystem::path useKeptFolder(const std::string& name) {
    const std::string folder = makeTempDirectory(name);
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
    return std::filesystem::path(folder) / "vantrel" / "shader-program.bin";
}

render::ProgramSource buildAndDestroy() {
    render::FixedFunctionProgram program;
    std::string error;
    EXPECT_TRUE(render::buildFixedFunctionProgram(program, &error)) << error;
    const render::ProgramSource source = program.source;
    render::destroyFixedFunctionProgram(program);
    return source;
}

}  // namespace

TEST(KeptProgramFile, GivesTheBinaryBackOnlyForTheSameKeyAndOnlyWhole) {
    const std::vector<char> binary = {'\x5f', '\x87', '\0', 'b', 'i', 'n'};
    const std::vector<char> file = render::keptProgramFile("driver 1\nsources", binary);
    EXPECT_EQ(render::binaryInKeptFile("driver 1\nsources", file), binary);
    EXPECT_TRUE(render::binaryInKeptFile("driver 2\nsources", file).empty());
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsource", file).empty());
    const std::vector<char> headerOnly(file.begin(), file.end() - static_cast<std::ptrdiff_t>(binary.size()));
    EXPECT_TRUE(render::binaryInKeptFile("driver 1\nsources", headerOnly).empty());
}

class KeptProgramTest : public RenderTest {};

TEST_F(KeptProgramTest, ASecondBuildLinksFromTheKeptBinaryAndADamagedOneIsCompiledAndReplaced) {
    const std::filesystem::path file = useKeptFolder("kept-program");
    EXPECT_EQ(buildAndDestroy(), render::ProgramSource::CompiledAndKept);
    EXPECT_EQ(buildAndDestroy(), render::ProgramSource::Kept);

    // The right header over bytes the driver cannot take.
    const auto size = static_cast<std::streamsize>(std::filesystem::file_size(file));
    std::fstream(file, std::ios::binary | std::ios::in | std::ios::out).seekp(size / 2)
        << std::string(size - size / 2, 'Z');
    EXPECT_EQ(buildAndDestroy(), render::ProgramSource::CompiledAndKept);
    EXPECT_EQ(buildAndDestroy(), render::ProgramSource::Kept);

    std::filesystem::remove_all(file.parent_path());
    std::ofstream(file.parent_path()) << "a file where the folder would go";
    EXPECT_EQ(buildAndDestroy(), render::ProgramSource::Compiled);
}

// Lit aircraft, the terrain and the head-up display, drawn by a device that compiled its program
// and could not keep it, one that kept it and linked it again on a fresh context, and one that
// linked the kept binary.
TEST_F(KeptProgramTest, DevicesWithACompiledARenewedAndAKeptProgramDrawTheSameMission) {
    const std::string data = builtDataDirectory();
    if (!std::filesystem::exists(data + "/plane1.x")) GTEST_SKIP() << "no generated data in " << data;
    std::unique_ptr<World> world = playerMissionWorld();
    for (int k = 1; k < 6; ++k) {
        world->aircraft[k] = world->aircraft[0];
        world->aircraft[k].z += 8.0f * static_cast<float>(k);
        world->aircraft[k].type = static_cast<int8_t>(k % AIRCRAFT_TYPE_COUNT);
    }
    const auto drawMission = [&]() {
        device_.reset();  // its context must go before the next one is made current
        device_ = render::Device::initGraphics(window_, data);
        EXPECT_NE(device_, nullptr);
        if (!device_) return std::vector<uint32_t>{};
        device_->loadMeshTable(data);
        device_->createFont(0, 20);
        render::renderFrame(*device_, *world);
        return frame();
    };
    std::ofstream(useKeptFolder("kept-program-none").parent_path()) << "in the way";
    const std::vector<uint32_t> compiled = drawMission();
    useKeptFolder("kept-program-mission");
    const std::vector<uint32_t> renewed = drawMission();
    const std::vector<uint32_t> kept = drawMission();
    EXPECT_GT(std::set<uint32_t>(compiled.begin(), compiled.end()).size(), 1000u) << "a whole scene was drawn";
    EXPECT_TRUE(compiled == renewed);
    EXPECT_TRUE(compiled == kept);
}

TEST(IndexMesh, KeepsTheTriangleListAndStoresEachDistinctVertexOnce) {
    const render::MeshVertex a{0, 0, 0, 0, 1, 0, 0, 0}, b{1, 0, 0, 0, 1, 0, 1, 0}, c{1, 0, 1, 0, 1, 0, 1, 1};
    render::MeshVertex aOtherNormal = a, aNegativeZero = a;
    aOtherNormal.ny = -1.0f;
    aNegativeZero.x = -0.0f;
    const std::vector<render::MeshVertex> list = {a, b, c, c, b, a, aOtherNormal, aNegativeZero, c};
    const render::IndexedMesh mesh = render::indexMesh(list);
    ASSERT_EQ(mesh.indices.size(), list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        ASSERT_LT(mesh.indices[k], mesh.vertices.size());
        EXPECT_EQ(std::memcmp(&mesh.vertices[mesh.indices[k]], &list[k], sizeof(render::MeshVertex)), 0)
            << "vertex " << k;
    }
    EXPECT_EQ(mesh.vertices.size(), 5u);  // a, b, c, and the two near copies of a
}

}  // namespace vantrel::test
