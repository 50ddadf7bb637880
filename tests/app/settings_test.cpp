// The settings file: what its lines set, how a bad line is reported, the command line over it,
// and the start dialog's choice written back into it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "play/config_file.h"
#include "play/settings.h"

namespace vantrel {
namespace {

using render::Quality;

Options fromFile(const std::string& text, std::vector<std::string>& problems) {
    Options o;
    applySettings(text, "settings.conf", o, problems);
    return o;
}

int parseInto(std::vector<const char*> words, Options& o) {
    words.insert(words.begin(), "vantrel");
    testing::internal::CaptureStderr();
    const auto exitCode = parseCommandLine(static_cast<int>(words.size()), words.data(), o);
    testing::internal::GetCapturedStderr();
    return exitCode ? *exitCode : -1;
}

TEST(Settings, GoodLinesSetTheirOptionAndEachBadOneIsNamedByItsLine) {
    std::vector<std::string> problems;
    const Options o = fromFile(
        "# my machine has no graphics card\n"
        "\n"
        "quality = medium   # faster\r\n"
        "render-scale = 0.2\n"
        "render-scale = 1.5\n"
        "render-scale = nan\n"
        "render-scale = 0.5x\n"
        "quality = ultra\n"
        "quality low\n"
        "fullscreen = yes\n"
        "hints = maybe\n"
        "hints = off\n"
        "  render-scale=0.75  \n",
        problems);
    EXPECT_EQ(o.quality, Quality::Medium);
    EXPECT_FALSE(o.hints);
    EXPECT_EQ(o.renderScale, 0.75f) << "lines after bad ones still count";
    ASSERT_EQ(problems.size(), 8u);
    for (size_t k = 0; k < problems.size(); ++k) {
        const std::string line = "settings.conf:" + std::to_string(k + 4) + ": ";
        EXPECT_EQ(problems[k].rfind(line, 0), 0u) << problems[k];
    }
    EXPECT_NE(problems[0].find("render-scale"), std::string::npos) << problems[0];
    EXPECT_NE(problems[4].find("ultra"), std::string::npos) << problems[4];
    EXPECT_NE(problems[6].find("fullscreen"), std::string::npos) << problems[6];
    EXPECT_NE(problems[7].find("maybe"), std::string::npos) << problems[7];

    problems.clear();
    const Options edges = fromFile("render-scale = 0.25\nquality = high\nquality = low\n", problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(edges.renderScale, 0.25f);
    EXPECT_EQ(edges.quality, Quality::Low) << "the last line of a name wins";
    EXPECT_FALSE(fromFile("", problems).quality.has_value()) << "nothing chosen";
}

TEST(Settings, TheCommandLineOverridesTheFile) {
    std::vector<std::string> problems;
    Options o = fromFile("quality = low\nrender-scale = 0.5\n", problems);
    ASSERT_EQ(parseInto({"--quality", "high"}, o), -1);
    EXPECT_EQ(o.quality, Quality::High);
    EXPECT_EQ(o.renderScale, 0.5f) << "what the command line does not name stays the file's";
    ASSERT_EQ(parseInto({"--render-scale", "1"}, o), -1);
    EXPECT_EQ(o.renderScale, 1.0f);

    Options quiet = fromFile("hints = off\n", problems);
    ASSERT_EQ(parseInto({"--window"}, quiet), -1);
    EXPECT_FALSE(quiet.hints) << "the file's choice stands when the command line names none";
    ASSERT_EQ(parseInto({"--hints", "on"}, quiet), -1);
    EXPECT_TRUE(quiet.hints);

    Options bad;
    EXPECT_EQ(parseInto({"--quality", "best"}, bad), EXIT_BAD_ARGUMENTS);
    EXPECT_EQ(parseInto({"--render-scale", "0.1"}, bad), EXIT_BAD_ARGUMENTS);
    EXPECT_EQ(parseInto({"--render-scale", ""}, bad), EXIT_BAD_ARGUMENTS);
}

TEST(Settings, AChoiceReplacesItsLineAndKeepsTheRestOfTheFile) {
    const std::string mine =
        "# quality = high was too slow\n"
        "render-scale = 0.5\n"
        "quality = high  # for now\r\n"
        "quality = medium\n";
    EXPECT_EQ(withSetting(mine, "quality", "low"),
              "# quality = high was too slow\n"
              "render-scale = 0.5\n"
              "quality = low\r\n"
              "quality = medium\n");
    EXPECT_EQ(withSetting("render-scale = 0.5", "quality", "low"), "render-scale = 0.5\nquality = low\n");
    EXPECT_EQ(withSetting("", "quality", "medium"), "quality = medium\n");
}

TEST(Settings, TheFileIsMadeWhereTheConfigurationFolderSaysAndReadBack) {
    const std::filesystem::path home =
        std::filesystem::path(::testing::TempDir()) / ("vantrel-settings-" + std::to_string(getpid()));
    std::filesystem::remove_all(home);
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    EXPECT_EQ(settingsPath(), (home / "vantrel" / "settings.conf").string());
    ASSERT_TRUE(saveSetting("quality", "medium"));
    ASSERT_TRUE(saveSetting("render-scale", "0.5"));
    ASSERT_TRUE(saveSetting("quality", "low"));
    EXPECT_EQ(readTextFile(settingsPath()), "quality = low\nrender-scale = 0.5\n");
    Options o;
    loadSettings(o);
    EXPECT_EQ(o.quality, Quality::Low);
    EXPECT_EQ(o.renderScale, 0.5f);
    std::filesystem::remove_all(home);
    if (oldXdg != nullptr)
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace vantrel
