// The data directory as a whole: what the build makes and what --check reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "generated.h"
#include "tools/vantrel-data/bytes.h"
#include "tools/vantrel-data/datadir.h"

namespace vantrel::data::test {
namespace {

namespace fs = std::filesystem;

TEST(DataDirectory, FreshDirectoryPassesTheCheck) {
    const auto problems = checkDataDirectory(generatedDirectory());
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(dataFiles().size(),
              47u);  // height grid, 5 situations and their briefings, 10 meshes, 18 textures, 8 sounds
}

// The build made its directory in another process: a second run must match it byte for byte.
TEST(DataDirectory, SameBytesOnEveryRun) {
    const std::string again = scratchPath("again");
    std::string error;
    ASSERT_TRUE(writeDataDirectory(again, error)) << error;
    for (const DataFile& f : dataFiles()) {
        std::vector<uint8_t> second;
        ASSERT_TRUE(readFileBytes((fs::path(again) / f.name).string(), second));
        EXPECT_TRUE(generatedFile(f.name) == second) << f.name << " differs between two runs";
    }
}

TEST(DataDirectory, UnwritablePlaceIsReported) {
    std::string error;
    EXPECT_FALSE(writeDataDirectory("/proc/vantrel-data-cannot-be-here", error));
    EXPECT_NE(error.find("vantrel-data-cannot-be-here"), std::string::npos);
}

struct Damage {
    const char* label;
    const char* file;
    const char* expected;  // part of the reported problem
    std::function<void(std::vector<uint8_t>&)> change;
};

void replaceText(std::vector<uint8_t>& b, const std::string& from, const std::string& to) {
    std::string s(b.begin(), b.end());
    const size_t at = s.find(from);
    ASSERT_NE(at, std::string::npos);
    s.replace(at, from.size(), to);
    b.assign(s.begin(), s.end());
}

const Damage DAMAGES[] = {
    {"short-grid", "map1.hd", "10000", [](auto& b) { b.resize(9000); }},
    {"long-grid", "map1.hd", "10000", [](auto& b) { b.push_back(0); }},
    {"situation-cut", "s3.au1", "", [](auto& b) { b.resize(b.size() - 10); }},
    {"situation-type", "s2.au1", "", [](auto& b) { b[54 + 16] = 9; }},
    {"situation-side", "s1.au1", "side", [](auto& b) { b[54 + 28 + 20] = 0; }},
    {"situation-player", "s4.au1", "player", [](auto& b) { b[50] = 0x7f; }},
    {"bmp-cut", "plane31.bmp", "truncated", [](auto& b) { b.resize(b.size() / 2); }},
    {"bmp-signature", "title.bmp", "BMP", [](auto& b) { b[0] = 'X'; }},
    {"bmp-depth", "sky.bmp", "24- or 32-bit", [](auto& b) { b[28] = 8; }},
    {"dds-magic", "exp.dds", "DDS", [](auto& b) { b[0] = 'X'; }},
    {"dds-cut", "2dtex.dds", "truncated", [](auto& b) { b.resize(4000); }},
    {"dds-opaque", "smk.dds", "alpha",
     [](auto& b) {
         for (size_t i = 128 + 3; i < b.size(); i += 4) b[i] = 255;
     }},
    {"x-header", "plane2.x", "xof", [](auto& b) { b[0] = 'y'; }},
    {"x-cut", "plane4.x", "", [](auto& b) { b.resize(b.size() / 3); }},
    {"x-face", "rocket.x", "vertex that does not exist", [](auto& b) { replaceText(b, "\n 3;", "\n 3;999999,"); }},
    {"x-uv", "sky.x", "", [](auto& b) { replaceText(b, "MeshTextureCoords", "MeshTextureCoordz"); }},
    {"wav-riff", "bang.wav", "RIFF", [](auto& b) { b[0] = 'X'; }},
    {"wav-bits", "engine.wav", "16-bit", [](auto& b) { b[34] = 8; }},
    {"wav-compressed", "hit.wav", "PCM", [](auto& b) { b[20] = 2; }},
    {"wav-cut", "bom2.wav", "truncated", [](auto& b) { b.resize(b.size() / 2); }},
    {"wav-empty", "pu.wav", "data", [](auto& b) { b.resize(36); }},
};

class DataCheck : public ::testing::TestWithParam<Damage> {};

TEST_P(DataCheck, NamesTheDamagedFileAndOnlyIt) {
    const Damage& d = GetParam();
    const std::string dir = scratchCopy(d.label);
    const std::string path = (fs::path(dir) / d.file).string();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readFileBytes(path, bytes));
    d.change(bytes);
    ASSERT_TRUE(writeFileBytes(path, bytes));
    const auto problems = checkDataDirectory(dir);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind(std::string(d.file) + ": ", 0), 0u) << problems[0];
    EXPECT_NE(problems[0].find(d.expected), std::string::npos) << problems[0];
}

INSTANTIATE_TEST_SUITE_P(EachKindOfDamage, DataCheck, ::testing::ValuesIn(DAMAGES),
                         [](const ::testing::TestParamInfo<Damage>& damage) {
                             std::string name = damage.param.label;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(DataCheck, MissingFilesAreEachNamed) {
    const std::string dir = scratchCopy("missing");
    fs::remove(fs::path(dir) / "sunlight.dds");
    fs::remove(fs::path(dir) / "s5.au1");
    const auto problems = checkDataDirectory(dir);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "s5.au1: missing or unreadable");
    EXPECT_EQ(problems[1], "sunlight.dds: missing or unreadable");
}

TEST(DataCheck, AMissingDirectoryIsOneProblem) {
    const auto problems = checkDataDirectory(scratchPath("nothing-here"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("no such data directory"), std::string::npos) << problems[0];
}

}  // namespace
}  // namespace vantrel::data::test
