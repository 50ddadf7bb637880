// A player's run of the real program on a real X server, typed with xdotool: the title,
// SPACE, mission 2 chosen with the keypad, SPACE, flying and shooting, ESC back to the
// title and ESC to quit. The game saves frames at planned ticks; each one is waited for,
// checked for the screen it should show, and only then are the next keys typed, so a slow
// machine makes the run longer, not different. Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/player_run_xserver.h"
#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// Frames saved after these logic ticks (30 ms each); the gaps leave xdotool time to type.
constexpr int TITLE_TICK = 30;
constexpr int MENU_TICK = 100;
constexpr int MENU_AFTER_KEYPAD_TICK = 170;
constexpr int MISSION_TICK = 240;
constexpr int TURN_TICK = 310;
constexpr int FIGHT_TICK = 380;
constexpr int BACK_AT_TITLE_TICK = 450;
constexpr int SHOT_TICKS[] = {TITLE_TICK, MENU_TICK,  MENU_AFTER_KEYPAD_TICK, MISSION_TICK,
                              TURN_TICK,  FIGHT_TICK, BACK_AT_TITLE_TICK};

// Screen layout the checks look at, in pixels of the 640 x 480 frame.
constexpr int MENU_ROW_STEP = 50;  // mission k's line starts at y = 50 + 50 k
constexpr int MENU_ROW_HEIGHT = 40;
constexpr int INSTRUMENT_LINE_TOP = 5;
constexpr int INSTRUMENT_LINE_BOTTOM = 35;
constexpr int TITLE_PICTURE_TOP = 100;           // below the title's text
constexpr int TITLE_MEAN_DIFFERENCE_LIMIT = 16;  // per channel, 0..255
constexpr int LIT_TEXT_MIN_PIXELS = 150;

int red(uint32_t p) { return int(p >> 16 & 0xFF); }
int green(uint32_t p) { return int(p >> 8 & 0xFF); }
int blue(uint32_t p) { return int(p & 0xFF); }

template <typename Test>
int countPixels(const test::Image& image, int top, int bottom, Test test) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width; ++x)
            n += test(image.argb[size_t(y) * size_t(image.width) + size_t(x)]) ? 1 : 0;
    }
    return n;
}

// Full-brightness white: the highlighted menu line (the others are drawn faint).
int brightPixelsOfMenuRow(const test::Image& image, int mission) {
    const int top = MENU_ROW_STEP + MENU_ROW_STEP * mission;
    return countPixels(image, top, top + MENU_ROW_HEIGHT,
                       [](uint32_t p) { return red(p) >= 230 && green(p) >= 230 && blue(p) >= 230; });
}

// The instrument line's pure green glyph pixels, as a mask to count and compare.
std::vector<bool> instrumentText(const test::Image& image) {
    std::vector<bool> mask;
    for (int y = INSTRUMENT_LINE_TOP; y < INSTRUMENT_LINE_BOTTOM; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.argb[size_t(y) * size_t(image.width) + size_t(x)];
            mask.push_back(green(p) >= 250 && red(p) <= 10 && blue(p) <= 10);
        }
    }
    return mask;
}

int litCount(const std::vector<bool>& mask) { return int(std::count(mask.begin(), mask.end(), true)); }

// Mean absolute channel difference from the title picture below the title's text.
double differenceFromTitlePicture(const test::Image& shot, const test::Image& picture) {
    long long sum = 0;
    for (int y = TITLE_PICTURE_TOP; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            const uint32_t a = shot.argb[size_t(y) * WIDTH + size_t(x)];
            const uint32_t b = picture.argb[size_t(y) * WIDTH + size_t(x)];
            sum += std::abs(red(a) - red(b)) + std::abs(green(a) - green(b)) + std::abs(blue(a) - blue(b));
        }
    }
    return double(sum) / (3.0 * WIDTH * (HEIGHT - TITLE_PICTURE_TOP));
}

class PlayerRun : public testing::Test {
protected:
    void SetUp() override {
        if (!test::XServer::toolsInstalled()) GTEST_SKIP() << "Xvfb and xdotool are needed";
        dir_ = test::freshDir("player-run");
        x_ = std::make_unique<test::XServer>(dir_);
        ASSERT_FALSE(x_->display().empty()) << "Xvfb did not start: " << test::readText(dir_ + "/xvfb.log.err");
    }

    void TearDown() override {
        if (game_ > 0) test::waitForExit(game_, 1ms);
    }

    void startGame() {
        std::vector<std::string> args{"env",
                                      "DISPLAY=" + x_->display(),
                                      "SDL_VIDEODRIVER=x11",
                                      "SDL_AUDIODRIVER=dummy",
                                      VANTREL_EXE,
                                      "--window",
                                      "--no-sound",
                                      "--data",
                                      VANTREL_DATA_DIR};
        for (int tick : SHOT_TICKS) {
            args.push_back("--screenshot");
            args.push_back(std::to_string(tick) + ":" + shotPath(tick));
        }
        game_ = test::spawnProcess(args, dir_ + "/game.out");
        ASSERT_GT(game_, 0);
    }

    std::string shotPath(int tick) const { return dir_ + "/tick" + std::to_string(tick) + ".png"; }

    // The frame saved after the tick, once it is completely written.
    test::Image waitForShot(int tick) {
        for (int i = 0; i < 3000; ++i) {
            if (std::filesystem::exists(shotPath(tick))) {
                test::Image image = test::loadPng(shotPath(tick));
                if (image.width == WIDTH && image.height == HEIGHT) return image;
            }
            std::this_thread::sleep_for(20ms);
        }
        ADD_FAILURE() << "no frame after tick " << tick
                      << "; the game said: " << test::readText(dir_ + "/game.out.err");
        return {};
    }

    void keys(const std::string& action, const std::string& names) {
        std::string arguments;
        std::string name;
        for (char c : names + " ") {
            if (c != ' ') {
                name += c;
            } else if (!name.empty()) {
                arguments += action + " " + name + " ";
                name.clear();
            }
        }
        EXPECT_TRUE(x_->xdotool(arguments).has_value()) << arguments;
    }

    // Held long enough for a logic tick to see it even when the game is slowed down.
    void tap(const std::string& key) {
        keys("keydown", key);
        std::this_thread::sleep_for(150ms);
        keys("keyup", key);
    }

    std::string dir_;
    std::unique_ptr<test::XServer> x_;
    pid_t game_ = -1;
};

TEST_F(PlayerRun, TitleMenuMissionTwoFightBackToTheTitleAndQuit) {
    const test::Image picture = test::loadPng(std::string(VANTREL_DATA_DIR) + "/title.bmp");
    ASSERT_EQ(picture.width, WIDTH) << "the data directory's title picture";
    ASSERT_EQ(picture.height, HEIGHT);
    startGame();

    const test::Image title = waitForShot(TITLE_TICK);
    ASSERT_EQ(title.width, WIDTH);
    EXPECT_LT(differenceFromTitlePicture(title, picture), TITLE_MEAN_DIFFERENCE_LIMIT) << "the title picture";
    tap("space");

    const test::Image menu = waitForShot(MENU_TICK);
    ASSERT_EQ(menu.width, WIDTH);
    EXPECT_GT(differenceFromTitlePicture(menu, picture), TITLE_MEAN_DIFFERENCE_LIMIT) << "the menu dims the picture";
    EXPECT_GT(brightPixelsOfMenuRow(menu, 1), LIT_TEXT_MIN_PIXELS) << "mission 1 highlighted";
    EXPECT_LT(brightPixelsOfMenuRow(menu, 2), LIT_TEXT_MIN_PIXELS);
    tap("KP_Begin");

    const test::Image second = waitForShot(MENU_AFTER_KEYPAD_TICK);
    ASSERT_EQ(second.width, WIDTH);
    EXPECT_GT(brightPixelsOfMenuRow(second, 2), LIT_TEXT_MIN_PIXELS) << "the keypad moved to mission 2";
    EXPECT_LT(brightPixelsOfMenuRow(second, 1), LIT_TEXT_MIN_PIXELS);
    tap("space");

    const test::Image mission = waitForShot(MISSION_TICK);
    ASSERT_EQ(mission.width, WIDTH);
    const std::vector<bool> firstLine = instrumentText(mission);
    EXPECT_GT(litCount(firstLine), LIT_TEXT_MIN_PIXELS) << "the instrument line";
    keys("keydown", "KP_Up z");

    waitForShot(TURN_TICK);
    keys("keyup", "KP_Up z");
    keys("keydown", "KP_Left x");

    const test::Image fight = waitForShot(FIGHT_TICK);
    keys("keyup", "KP_Left x");
    ASSERT_EQ(fight.width, WIDTH);
    const std::vector<bool> laterLine = instrumentText(fight);
    EXPECT_GT(litCount(laterLine), LIT_TEXT_MIN_PIXELS) << "the instrument line";
    EXPECT_NE(firstLine, laterLine) << "ammunition, speed or height changed while flying and shooting";
    tap("Escape");  // asks
    tap("Escape");  // leaves

    const test::Image back = waitForShot(BACK_AT_TITLE_TICK);
    ASSERT_EQ(back.width, WIDTH);
    EXPECT_LT(differenceFromTitlePicture(back, picture), TITLE_MEAN_DIFFERENCE_LIMIT) << "ESC returned to the title";
    tap("Escape");

    EXPECT_EQ(test::waitForExit(game_, 15s), 1) << "ESC on the title quits with code 1";
    game_ = -1;
}

}  // namespace
}  // namespace vantrel
