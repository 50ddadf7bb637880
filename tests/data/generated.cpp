#include "generated.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace vantrel::data::test {

namespace {

std::filesystem::path testRoot() {
    return std::filesystem::temp_directory_path() / ("vantrel-data-tests-" + std::to_string(::getpid()));
}

// Removes this process's scratch directories when the tests end.
class ScratchCleanup : public ::testing::Environment {
public:
    void TearDown() override { std::filesystem::remove_all(testRoot()); }
};
[[maybe_unused]] const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

}  // namespace

const std::string& generatedDirectory() {
    static const std::string dir = VANTREL_DATA_DIR;
    return dir;
}

std::string scratchPath(const std::string& label) {
    const auto dir = testRoot() / label;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(testRoot());
    return dir.string();
}

std::vector<uint8_t> generatedFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readFileBytes((std::filesystem::path(generatedDirectory()) / name).string(), bytes)) << name;
    return bytes;
}

std::string scratchCopy(const std::string& label) {
    const std::string dir = scratchPath(label);
    std::filesystem::copy(generatedDirectory(), dir);
    return dir;
}

}  // namespace vantrel::data::test
