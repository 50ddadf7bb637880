// The real executable on the offscreen video driver, with no sound device.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

using test::runVantrel;

const std::string DATA = VANTREL_DATA_DIR;

// Title, SPACE to the menu, SPACE to situation 1, then a turn while firing.
constexpr const char* MISSION_SCRIPT =
    "seed 7\n"
    "2 SPACE\n"
    "4 SPACE\n"
    "10-40 NUMPAD4 Z\n"
    "45-60 NUMPAD8 X\n";

std::vector<std::string> headless(std::vector<std::string> more) {
    std::vector<std::string> args = {"--window", "--no-sound", "--fast", "--data", DATA};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string scriptFile(const std::string& name, const std::string& text) {
    const std::string path = test::freshDir(name) + "/keys.txt";
    test::writeText(path, text);
    return path;
}

TEST(Program, QuitAfterEndsNormallyWithCodeOne) {
    const auto r = runVantrel(headless({"--quit-after", "60"}));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_FALSE(r.crashed);
}

TEST(Program, VersionAndHelp) {
    auto r = runVantrel({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("0.30"), std::string::npos);
    r = runVantrel({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--screenshot"), std::string::npos);
    EXPECT_EQ(r.out.find("--print-hash"), std::string::npos) << "a testing option, kept out of the help";
}

TEST(Program, HelpListsThePlayersOwnKeys) {
    const std::string config = test::freshDir("help-keys");
    std::filesystem::create_directories(config + "/vantrel");
    test::writeText(config + "/vantrel/keys.conf", "gun = J, K\nlauncher = NoSuchKey\n");
    const auto r = runVantrel({"--help"}, {"XDG_CONFIG_HOME=" + config});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("gun = J, K"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("launcher = X "), std::string::npos) << "a refused line keeps the default: " << r.out;
    EXPECT_NE(r.out.find("keys.conf:2:"), std::string::npos) << "and is named: " << r.out;
    EXPECT_NE(r.out.find("pause = P, Pause"), std::string::npos) << r.out;
}

TEST(Program, BadDataDirectoryIsNamedAndEndsWithCodeTwo) {
    const auto r = runVantrel({"--window", "--no-sound", "--data", "/no/such/vantrel-data", "--quit-after", "1"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("/no/such/vantrel-data"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
}

TEST(Program, NoDisplayGivesAMessageAndCodeZero) {
    const auto r = runVantrel({"--window", "--no-sound", "--quit-after", "5"},
                              {"-u", "SDL_VIDEODRIVER", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
}

TEST(Program, MalformedKeyScriptNamesItsLine) {
    const auto r = runVantrel(headless({"--input", scriptFile("badscript", "1 SPACE\n2 NOSUCHKEY\n")}));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
}

TEST(Program, UnwritableRecordingEndsBeforeAnyWindow) {
    const auto r = runVantrel(headless({"--record", "/no/such/dir/rec.txt", "--quit-after", "1"}));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("/no/such/dir/rec.txt"), std::string::npos) << r.err;
}

TEST(Program, ScreenshotIsTheFrameAfterItsTick) {
    const std::string dir = test::freshDir("shots");
    const auto r =
        runVantrel(headless({"--seed", "3", "--quit-after", "3", "--screenshot", "1:" + dir + "/a.png", "--screenshot",
                             "3:" + dir + "/b.png", "--screenshot", "9:" + dir + "/never.png"}));
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const test::Image a = test::loadPng(dir + "/a.png");
    const test::Image b = test::loadPng(dir + "/b.png");
    ASSERT_EQ(a.width, 640);
    ASSERT_EQ(a.height, 480);
    std::set<uint32_t> colours(a.argb.begin(), a.argb.end());
    EXPECT_GT(colours.size(), 16u) << "the title screen is drawn, not only cleared";
    for (uint32_t p : a.argb) ASSERT_EQ(p >> 24, 0xFFu) << "the frame is opaque";
    EXPECT_EQ(b.argb.size(), a.argb.size());
    EXPECT_FALSE(std::filesystem::exists(dir + "/never.png"));
    EXPECT_NE(r.err.find("never.png"), std::string::npos) << "a screenshot never taken is reported";
}

// The menu is not drawn again while it stays the same; a screenshot then is still its picture.
TEST(Program, ScreenshotsOfAnUnchangedMenuAreItsPicture) {
    const std::string dir = test::freshDir("menushots");
    const std::string keys = scriptFile("menushots", "2 SPACE\n8 NUMPAD5\n");
    const auto r =
        runVantrel(headless({"--input", keys, "--quit-after", "12", "--screenshot", "4:" + dir + "/a.png",
                             "--screenshot", "7:" + dir + "/b.png", "--screenshot", "11:" + dir + "/c.png"}));
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const test::Image a = test::loadPng(dir + "/a.png");
    const test::Image b = test::loadPng(dir + "/b.png");
    const test::Image c = test::loadPng(dir + "/c.png");
    ASSERT_EQ(a.width, 640);
    EXPECT_TRUE(a.argb == b.argb);
    ASSERT_EQ(c.argb.size(), a.argb.size());
    EXPECT_FALSE(c.argb == a.argb) << "another situation highlighted";
}

TEST(Program, MissionFrameDiffersFromTheTitleScreen) {
    const std::string dir = test::freshDir("missionshot");
    const std::string keys = scriptFile("missionshot", MISSION_SCRIPT);
    const auto r = runVantrel(headless({"--input", keys, "--quit-after", "20", "--screenshot",
                                        "1:" + dir + "/title.png", "--screenshot", "20:" + dir + "/mission.png"}));
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const test::Image title = test::loadPng(dir + "/title.png");
    const test::Image mission = test::loadPng(dir + "/mission.png");
    ASSERT_EQ(mission.argb.size(), title.argb.size());
    EXPECT_NE(mission.argb, title.argb);
}

TEST(Program, SameSeedAndKeysGiveTheSameWorld) {
    const std::string keys = scriptFile("determinism", MISSION_SCRIPT);
    const auto first = runVantrel(headless({"--input", keys, "--quit-after", "80", "--print-hash"}));
    const auto second = runVantrel(headless({"--input", keys, "--quit-after", "80", "--print-hash"}));
    ASSERT_EQ(first.exitCode, 1) << first.err;
    ASSERT_EQ(test::worldHashOf(first).size(), 16u) << first.out;
    EXPECT_EQ(test::worldHashOf(first), test::worldHashOf(second));
    const auto otherSeed = runVantrel(headless({"--input", keys, "--seed", "8", "--quit-after", "80", "--print-hash"}));
    EXPECT_NE(test::worldHashOf(otherSeed), test::worldHashOf(first)) << "--seed overrides the script's seed";
}

TEST(Program, RecordingReplaysToTheSameWorld) {
    const std::string dir = test::freshDir("record");
    const std::string keys = scriptFile("recordsource", MISSION_SCRIPT);
    const auto recorded = runVantrel(headless(
        {"--input", keys, "--seed", "1234", "--record", dir + "/rec.txt", "--quit-after", "70", "--print-hash"}));
    ASSERT_EQ(recorded.exitCode, 1) << recorded.err;
    const std::string recording = test::readText(dir + "/rec.txt");
    EXPECT_NE(recording.find("seed 1234"), std::string::npos) << recording;
    const auto replayed = runVantrel(headless({"--input", dir + "/rec.txt", "--quit-after", "70", "--print-hash"}));
    ASSERT_EQ(replayed.exitCode, 1) << replayed.err;
    EXPECT_EQ(test::worldHashOf(replayed), test::worldHashOf(recorded));
    EXPECT_FALSE(test::worldHashOf(replayed).empty());
}

TEST(Program, InformationBoxWithoutADisplayGoesToStandardError) {
    const std::string keys = scriptFile("information", "seed 1\n3 RETURN\n4 RETURN\n6 RETURN\n");
    const auto r = runVantrel(headless({"--input", keys, "--quit-after", "8"}));
    ASSERT_EQ(r.exitCode, 1) << r.err;
    std::size_t boxes = 0;
    for (std::size_t at = r.err.find("MAIN FPS"); at != std::string::npos; at = r.err.find("MAIN FPS", at + 1)) ++boxes;
    EXPECT_EQ(boxes, 2u) << "once per press, not per held tick: " << r.err;
    EXPECT_NE(r.err.find("DRAW FPS"), std::string::npos);
    EXPECT_NE(r.err.find("0.30"), std::string::npos);
}

// Drawn on Mesa's software rasteriser: the first start with nothing chosen names the quality
// that suits it, later starts and a player's own choice do not.
TEST(Program, SoftwareRendererHearsOnceWhichQualitySuits) {
    const std::string config = "XDG_CONFIG_HOME=" + test::freshDir("quality-config");
    const std::vector<std::string> fresh = {"LIBGL_ALWAYS_SOFTWARE=1", config,
                                            "XDG_CACHE_HOME=" + test::freshDir("quality-cache")};
    const auto first = runVantrel(headless({"--quit-after", "3"}), fresh);
    ASSERT_EQ(first.exitCode, 1) << first.err;
    EXPECT_NE(first.err.find("--quality low"), std::string::npos) << first.err;
    const auto second = runVantrel(headless({"--quit-after", "3"}), fresh);
    EXPECT_EQ(second.err.find("--quality"), std::string::npos) << "said once: " << second.err;

    const std::vector<std::string> otherCache = {"LIBGL_ALWAYS_SOFTWARE=1", config,
                                                 "XDG_CACHE_HOME=" + test::freshDir("quality-cache-chosen")};
    for (const auto& [option, value] : {std::pair{"--quality", "high"}, std::pair{"--render-scale", "0.5"}}) {
        const auto r = runVantrel(headless({option, value, "--quit-after", "3"}), otherCache);
        EXPECT_EQ(r.err.find("--quality"), std::string::npos) << option << " chosen: " << r.err;
    }
}

TEST(Program, EscapeOnTheTitleScreenEndsNormally) {
    const std::string keys = scriptFile("escape", "5 ESCAPE\n");
    const std::string dir = test::freshDir("escape-shot");
    const auto r = runVantrel(headless({"--input", keys, "--screenshot", "100:" + dir + "/late.png"}));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir + "/late.png")) << "the loop ended at tick 5";
}

// Each data file removed in turn: the game still starts, enters a mission and ends normally.
// Each file taken away in turn: the game still starts and runs, names the file on the terminal,
// and says on the title screen that a data file is wanting.
TEST(Program, MissingDataFilesNeverStopTheStartAndAreNamedOnTheTitle) {
    const std::string keys = scriptFile("missing", MISSION_SCRIPT);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(DATA)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    ASSERT_GE(files.size(), 41u) << "the whole data directory";
    const auto titleShot = [&keys](const std::string& dir, const std::string& shot) {
        return runVantrel({"--window", "--no-sound", "--fast", "--data", dir, "--input", keys, "--quit-after", "12",
                           "--screenshot", "1:" + shot});
    };
    const std::string whole = test::freshDir("whole-data") + "/title.png";
    ASSERT_EQ(titleShot(DATA, whole).exitCode, 1);
    const test::Image intact = test::loadPng(whole);
    for (const auto& removed : files) {
        const std::string dir = test::freshDir("missing-data");
        for (const auto& f : files) {
            if (f != removed) std::filesystem::copy_file(f, dir + "/" + f.filename().string());
        }
        const auto r = titleShot(dir, dir + "/title.png");
        const std::string name = removed.filename().string();
        EXPECT_FALSE(r.crashed) << name;
        EXPECT_EQ(r.exitCode, 1) << name << ": " << r.err;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        const test::Image title = test::loadPng(dir + "/title.png");
        ASSERT_EQ(title.argb.size(), intact.argb.size()) << name;
        int changed = 0;
        for (int y = 450; y < 470; ++y) {
            for (int x = 0; x < 640; ++x) changed += title.argb[y * 640 + x] != intact.argb[y * 640 + x];
        }
        EXPECT_GT(changed, 200) << "a line at the foot of the title for " << name;
    }
}

// Briefings only add words to the menu: a damaged one and a missing one change nothing else.
TEST(Program, DamagedAndMissingBriefingsLeaveTheMenuAndMissionsWorking) {
    const std::string dir = test::freshDir("damaged-briefings");
    for (const auto& entry : std::filesystem::directory_iterator(DATA)) {
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string());
    }
    test::writeText(dir + "/s1.txt", "\x01\x02 not a briefing\n\n\n\n");
    std::filesystem::remove(dir + "/s2.txt");
    const std::string keys = scriptFile("briefing-keys", "seed 3\n2 SPACE\n4 DOWN\n6 SPACE\n10-30 Z\n");
    const std::string shot = test::freshDir("briefing-shot") + "/menu.png";
    const auto r = runVantrel({"--window", "--no-sound", "--fast", "--data", dir, "--input", keys, "--quit-after", "40",
                               "--screenshot", "5:" + shot});
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace
}  // namespace vantrel
