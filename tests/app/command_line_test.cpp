#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/message.h"
#include "play/options.h"
#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

// Parses the words after the program name; returns the exit code asked for, or -1 to run.
int parse(std::vector<const char*> words, Options& o) {
    words.insert(words.begin(), "vantrel");
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const auto exitCode = parseCommandLine(static_cast<int>(words.size()), words.data(), o);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return exitCode ? *exitCode : -1;
}

TEST(CommandLine, NoOptionsShowsTheStartDialogWithSound) {
    Options o;
    EXPECT_EQ(parse({}, o), -1);
    EXPECT_EQ(o.screen, ScreenChoice::Dialog);
    EXPECT_FALSE(o.noSound);
    EXPECT_FALSE(o.seed.has_value());
    EXPECT_EQ(o.scale, 1);
    EXPECT_EQ(o.quitAfter, 0);
}

TEST(CommandLine, EveryOptionLandsInItsField) {
    Options o;
    ASSERT_EQ(parse({"--fullscreen", "--no-sound",  "--data",       "d",       "--seed",       "4294967295",
                     "--scale",      "2",           "--input",      "in.txt",  "--record",     "rec.txt",
                     "--screenshot", "3:a.png",     "--screenshot", "0:b.png", "--quit-after", "60",
                     "--fast",       "--print-hash"},
                    o),
              -1);
    EXPECT_EQ(o.screen, ScreenChoice::FullScreen);
    EXPECT_TRUE(o.noSound);
    EXPECT_EQ(o.dataDir, "d");
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(o.scale, 2);
    EXPECT_EQ(o.inputFile, "in.txt");
    EXPECT_EQ(o.recordFile, "rec.txt");
    EXPECT_EQ(o.screenshots, (std::vector<ScreenshotRequest>{{3, "a.png"}, {0, "b.png"}}));
    EXPECT_EQ(o.quitAfter, 60);
    EXPECT_TRUE(o.fast);
    EXPECT_TRUE(o.printHash);
    Options demo;
    ASSERT_EQ(parse({"--demo", "5"}, demo), -1);
    EXPECT_EQ(demo.demo, 5);
}

// Only a screen option skips the start dialog; --no-sound alone still asks.
TEST(CommandLine, ScreenOptionsSettleTheStart) {
    const struct {
        std::vector<const char*> words;
        std::optional<StartChoice> start;
    } cases[] = {
        {{}, std::nullopt},
        {{"--no-sound"}, std::nullopt},
        {{"--window"}, StartChoice{ScreenMode::Window, true}},
        {{"--fullscreen"}, StartChoice{ScreenMode::FullScreen, true}},
        {{"--window", "--no-sound"}, StartChoice{ScreenMode::Window, false}},
        {{"--no-sound", "--fullscreen"}, StartChoice{ScreenMode::FullScreen, false}},
    };
    for (const auto& c : cases) {
        Options o;
        ASSERT_EQ(parse(c.words, o), -1);
        EXPECT_EQ(startFromCommandLine(o), c.start) << c.words.size() << " words";
    }
}

TEST(CommandLine, BadArgumentsEndWithCodeTwo) {
    const std::vector<std::vector<const char*>> cases = {
        {"--window", "--fullscreen"}, {"--seed", "-1"},       {"--seed", "4294967296"}, {"--scale", "0"},
        {"--quit-after", "0"},        {"--quit-after", "x"},  {"--screenshot", "5"},    {"--screenshot", "a:b.png"},
        {"--screenshot", "-1:b.png"}, {"--screenshot", "7:"}, {"--no-such-option"},     {"stray"},
    };
    for (const auto& words : cases) {
        Options o;
        EXPECT_EQ(parse(words, o), EXIT_BAD_ARGUMENTS) << words[0] << " " << (words.size() > 1 ? words[1] : "");
    }
}

TEST(CommandLine, NumbersOutOfRangeAreRefusedInOneShortSentence) {
    struct Case {
        std::vector<const char*> words;
        const char* message;
    };
    const Case cases[] = {
        {{"--quit-after", "0"}, "vantrel: --quit-after: wants a whole number of ticks from 1 to 2147483647, not 0\n"},
        {{"--quit-after", "lots"},
         "vantrel: --quit-after: wants a whole number of ticks from 1 to 2147483647, not lots\n"},
        {{"--scale", "9"}, "vantrel: --scale: wants a whole number from 1 to 8, not 9\n"},
        {{"--demo", "6"}, "vantrel: --demo: wants a mission number from 1 to 5, not 6\n"},
        {{"--seed", "4294967296"}, "vantrel: --seed: wants a whole number from 0 to 4294967295, not 4294967296\n"},
        {{"--hints", "maybe"}, "vantrel: --hints: wants on or off, not maybe\n"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> words = c.words;
        words.insert(words.begin(), "vantrel");
        Options o;
        testing::internal::CaptureStderr();
        const auto exitCode = parseCommandLine(static_cast<int>(words.size()), words.data(), o);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
        EXPECT_EQ(exitCode, EXIT_BAD_ARGUMENTS) << c.words[0];
    }
}

TEST(CommandLine, HintsAreOnUnlessTurnedOffOrClassic) {
    Options o;
    ASSERT_EQ(parse({}, o), -1);
    EXPECT_TRUE(hintsWanted(o));
    Options off;
    ASSERT_EQ(parse({"--hints", "off"}, off), -1);
    EXPECT_FALSE(hintsWanted(off));
    Options classic;
    ASSERT_EQ(parse({"--classic", "--hints", "on"}, classic), -1);
    EXPECT_FALSE(hintsWanted(classic)) << "the original presentation has none";
}

TEST(CommandLine, PresentationOptions) {
    Options defaults;
    ASSERT_EQ(parse({}, defaults), -1);
    EXPECT_FALSE(defaults.size.has_value());
    EXPECT_FALSE(defaults.classic);
    EXPECT_EQ(defaults.fps, 0);
    EXPECT_TRUE(defaults.vsync);
    Options o;
    ASSERT_EQ(parse({"--size", "1920x1080", "--classic", "--fps", "144", "--vsync", "off"}, o), -1);
    EXPECT_EQ(o.size, (WindowSize{1920, 1080}));
    EXPECT_TRUE(o.classic);
    EXPECT_EQ(o.fps, 144);
    EXPECT_FALSE(o.vsync);
    Options on;
    ASSERT_EQ(parse({"--vsync", "on"}, on), -1);
    EXPECT_TRUE(on.vsync);
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "1280"},   {"--size", "1280x"},     {"--size", "x720"},     {"--size", "1280x720x3"},
        {"--size", "63x480"}, {"--size", "640x16385"}, {"--size", "-640x480"}, {"--size", "1280 x720"},
        {"--fps", "0"},       {"--fps", "1001"},       {"--vsync", "maybe"},   {"--size", "800x600", "--scale", "2"},
    };
    for (const auto& words : bad) {
        Options b;
        EXPECT_EQ(parse(words, b), EXIT_BAD_ARGUMENTS) << words[0] << " " << words[1];
    }
}

TEST(CommandLine, WindowSizeErrorsSayWhatIsWanted) {
    WindowSize size;
    std::string error;
    EXPECT_TRUE(parseWindowSize("64X16384", size, error));
    EXPECT_EQ(size, (WindowSize{64, 16384}));
    EXPECT_FALSE(parseWindowSize("big", size, error));
    EXPECT_NE(error.find("WIDTHxHEIGHT"), std::string::npos) << error;
    EXPECT_FALSE(parseWindowSize("20x20", size, error));
    EXPECT_NE(error.find("64 to 16384"), std::string::npos) << error;
    EXPECT_EQ(size, (WindowSize{64, 16384})) << "a refused size leaves the last one";
}

TEST(CommandLine, HelpAndVersionEndAtOnceWithCodeZero) {
    Options o;
    EXPECT_EQ(parse({"--help"}, o), 0);
    EXPECT_EQ(parse({"--version"}, o), 0);
}

TEST(CommandLine, ScreenshotRequestSplitsAtTheFirstColon) {
    ScreenshotRequest r;
    std::string error;
    ASSERT_TRUE(parseScreenshotRequest("120:dir/a:b.png", r, error));
    EXPECT_EQ(r.tick, 120);
    EXPECT_EQ(r.path, "dir/a:b.png");
    EXPECT_FALSE(parseScreenshotRequest(":a.png", r, error));
    EXPECT_NE(error.find("TICK:FILE.png"), std::string::npos);
}

TEST(CommandLine, DataDirectoryPrefersTheOptionThenBesideTheProgram) {
    const std::string exeDir = test::freshDir("exe");
    std::string dir, error;
    ASSERT_TRUE(resolveDataDir("", exeDir, dir, error));
    EXPECT_EQ(dir, "./data") << "nothing beside the program";
    std::filesystem::create_directory(exeDir + "/data");
    ASSERT_TRUE(resolveDataDir("", exeDir + "/", dir, error));
    EXPECT_EQ(std::filesystem::path(dir), std::filesystem::path(exeDir) / "data");
    ASSERT_TRUE(resolveDataDir(exeDir, exeDir, dir, error));
    EXPECT_EQ(dir, exeDir);
}

TEST(CommandLine, InstalledGameFindsItsDataAndSoundLibraryUnderThePrefix) {
    const std::string prefix = test::freshDir("prefix");
    const std::string bin = prefix + "/bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(prefix + "/share/vantrel/data");
    std::string dir, error;
    ASSERT_TRUE(resolveDataDir("", bin + "/", dir, error));
    EXPECT_EQ(std::filesystem::path(dir), std::filesystem::path(prefix) / "share/vantrel/data");
    std::filesystem::create_directory(bin + "/data");
    ASSERT_TRUE(resolveDataDir("", bin + "/", dir, error));
    EXPECT_EQ(std::filesystem::path(dir), std::filesystem::path(bin) / "data") << "a build tree comes first";

    EXPECT_EQ(std::filesystem::path(resolveSoundLibrary(bin + "/")), std::filesystem::path(bin) / "libezds.so")
        << "named where it is looked for first, even when missing";
    std::filesystem::create_directories(prefix + "/lib/vantrel");
    test::writeText(prefix + "/lib/vantrel/libezds.so", "x");
    EXPECT_EQ(std::filesystem::path(resolveSoundLibrary(bin + "/")),
              std::filesystem::path(prefix) / "lib/vantrel/libezds.so");
    test::writeText(bin + "/libezds.so", "x");
    EXPECT_EQ(std::filesystem::path(resolveSoundLibrary(bin + "/")), std::filesystem::path(bin) / "libezds.so");
}

TEST(CommandLine, DebianPackagedGameFindsItsDataAndSoundLibraryFromGames) {
    const std::string usr = test::freshDir("usr");
    const std::string games = usr + "/games";
    std::filesystem::create_directories(games);
    std::filesystem::create_directories(usr + "/share/vantrel/data");
    std::filesystem::create_directories(usr + "/lib/games/vantrel");
    test::writeText(usr + "/lib/games/vantrel/libezds.so", "x");
    std::string dir, error;
    ASSERT_TRUE(resolveDataDir("", games + "/", dir, error));
    EXPECT_EQ(std::filesystem::path(dir), std::filesystem::path(usr) / "share/vantrel/data");
    EXPECT_EQ(std::filesystem::path(resolveSoundLibrary(games + "/")),
              std::filesystem::path(usr) / "lib/games/vantrel/libezds.so");
}

TEST(CommandLine, DataOptionMustNameADirectory) {
    const std::string exeDir = test::freshDir("exe2");
    test::writeText(exeDir + "/file", "x");
    std::string dir, error;
    EXPECT_FALSE(resolveDataDir(exeDir + "/missing", exeDir, dir, error));
    EXPECT_NE(error.find(exeDir + "/missing"), std::string::npos);
    EXPECT_FALSE(resolveDataDir(exeDir + "/file", exeDir, dir, error));
}

TEST(Message, PlainTextIsShownUnchanged) { EXPECT_EQ(formatMessage("MAIN FPS"), "MAIN FPS"); }

TEST(Message, FormattedTextKeepsWithinTheBuffer) {
    EXPECT_EQ(formatMessage("MAIN FPS %d", 33), "MAIN FPS 33");
    const std::string longArgument(400, 'x');
    const std::string text = formatMessage("%s", longArgument.c_str());
    EXPECT_EQ(text.size(), static_cast<std::size_t>(MESSAGE_BUFFER_SIZE - 1));
}

}  // namespace
}  // namespace vantrel
