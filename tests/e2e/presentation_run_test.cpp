// The picture the real executable draws at a window's size, beside the classic presentation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

using test::runVantrel;

// Title, SPACE to the menu, SPACE to situation 2, then a climbing turn while firing.
constexpr const char* KEYS =
    "seed 11\n"
    "2 SPACE\n"
    "4 SPACE\n"
    "10-30 NUMPAD4 Z\n"
    "31-50 NUMPAD2 X\n";
constexpr int SHOT_TICKS[] = {1, 3, 20, 45};  // title, menu, mission, mission

std::vector<std::string> run(const std::string& dir, const std::string& name, std::vector<std::string> more) {
    const std::string keys = dir + "/keys.txt";
    test::writeText(keys, KEYS);
    std::vector<std::string> args = {"--window", "--no-sound",   "--data", VANTREL_DATA_DIR, "--input",
                                     keys,       "--quit-after", "50",     "--print-hash"};
    std::vector<std::string> shots;
    for (const int tick : SHOT_TICKS) {
        shots.push_back(dir + "/" + name + "-" + std::to_string(tick) + ".png");
        args.insert(args.end(), {"--screenshot", std::to_string(tick) + ":" + shots.back()});
    }
    args.insert(args.end(), more.begin(), more.end());
    const auto r = runVantrel(args);
    EXPECT_EQ(r.exitCode, 1) << name << ": " << r.err;
    EXPECT_EQ(test::worldHashOf(r).size(), 16u) << name << ": " << r.out;
    shots.push_back(test::worldHashOf(r));
    return shots;
}

TEST(Presentation, At640x480WithoutHintsEveryScreenIsTheClassicPictureByteForByte) {
    const std::string dir = test::freshDir("classic-same");
    const auto native = run(dir, "native", {"--fast", "--hints", "off"});
    const auto classic = run(dir, "classic", {"--fast", "--classic"});
    for (size_t i = 0; i < std::size(SHOT_TICKS); ++i) {
        const test::Image a = test::loadPng(native[i]);
        const test::Image b = test::loadPng(classic[i]);
        ASSERT_EQ(a.width, 640) << native[i];
        ASSERT_EQ(a.height, 480);
        EXPECT_TRUE(a.argb == b.argb) << "tick " << SHOT_TICKS[i];
    }
    EXPECT_EQ(native.back(), classic.back()) << "the same World";
}

TEST(Presentation, SizeSetsTheWindowTheScreenshotsAndNothingOfTheWorld) {
    const std::string dir = test::freshDir("sized");
    const auto wide = run(dir, "wide", {"--fast", "--size", "1280x720"});
    const auto classic = run(dir, "classic", {"--fast", "--size", "1280x720", "--classic"});
    const auto paced = run(dir, "paced", {"--size", "800x600", "--fps", "200"});
    for (size_t i = 0; i < std::size(SHOT_TICKS); ++i) {
        const test::Image w = test::loadPng(wide[i]);
        EXPECT_EQ(w.width, 1280) << wide[i];
        EXPECT_EQ(w.height, 720);
        const test::Image c = test::loadPng(classic[i]);
        EXPECT_EQ(c.width, 640) << "the classic picture is letterboxed, not redrawn: " << classic[i];
        EXPECT_EQ(c.height, 480);
        EXPECT_EQ(test::loadPng(paced[i]).width, 800) << paced[i];
    }
    EXPECT_EQ(wide.back(), classic.back()) << "the window's size never reaches the simulation";
    EXPECT_EQ(paced.back(), wide.back()) << "nor do interpolated frames at their own rate";
}

}  // namespace
}  // namespace vantrel
