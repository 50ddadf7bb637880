// The demo run by the real program: a whole mission with no display, and its recording replayed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

TEST(Demo, MissionFiveRunsToItsEndWithNoKeysAndNoDisplay) {
    const auto r =
        test::runVantrel({"--window", "--no-sound", "--fast", "--data", VANTREL_DATA_DIR, "--seed", "5", "--demo", "5"},
                         {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=offscreen"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("demo: situation 5 flown for"), std::string::npos) << r.out << r.err;
}

// The demo only presses keys, so its recording replays to the same World.
TEST(Demo, RecordedDemoReplaysToTheSameWorld) {
    const std::string recording = test::freshDir("demo-record") + "/demo.txt";
    const std::vector<std::string> common = {"--window",       "--no-sound",   "--fast", "--data",
                                             VANTREL_DATA_DIR, "--quit-after", "200",    "--print-hash"};
    std::vector<std::string> flown = common;
    flown.insert(flown.end(), {"--seed", "11", "--demo", "2", "--record", recording});
    const auto demo = test::runVantrel(flown);
    ASSERT_EQ(demo.exitCode, 1) << demo.err;
    std::vector<std::string> replayed = common;
    replayed.insert(replayed.end(), {"--input", recording});
    const auto replay = test::runVantrel(replayed);
    ASSERT_EQ(replay.exitCode, 1) << replay.err;
    EXPECT_FALSE(test::worldHashOf(demo).empty());
    EXPECT_EQ(test::worldHashOf(replay), test::worldHashOf(demo));
    EXPECT_NE(test::readText(recording).find("NUMPAD"), std::string::npos) << "the pilot flew with the keypad codes";
}

TEST(Demo, DemoAndKeyScriptAreExclusive) {
    const auto r = test::runVantrel({"--demo", "2", "--input", "keys.txt"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(test::runVantrel({"--demo", "6"}).exitCode, 2);
}

}  // namespace
}  // namespace vantrel
