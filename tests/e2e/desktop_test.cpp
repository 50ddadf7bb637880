// The real executable on a real X server (Xvfb), driven by xdotool: the start dialog, the
// window it opens, and keys typed on a keyboard. Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
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

// Where the dialog's buttons sit: dialog units times 1.5 pixels, window at the screen corner.
struct Point {
    int x, y;
};
constexpr Point START_BUTTON{105, 135};
constexpr Point CANCEL_BUTTON{187, 135};

class Desktop : public testing::Test {
protected:
    void SetUp() override {
        if (!test::XServer::toolsInstalled()) GTEST_SKIP() << "Xvfb and xdotool are needed";
        dir_ = test::freshDir("desktop");
        x_ = std::make_unique<test::XServer>(dir_);
        ASSERT_FALSE(x_->display().empty()) << "Xvfb did not start: " << test::readText(dir_ + "/xvfb.log.err");
    }

    pid_t startGame(std::vector<std::string> args) {
        args.insert(args.begin(), {"env", "DISPLAY=" + x_->display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                   VANTREL_EXE, "--data", VANTREL_DATA_DIR});
        return test::spawnProcess(args, dir_ + "/game.out");
    }

    // Runs xdotool on the test's display; returns its standard output.
    std::string xdotool(const std::string& arguments) {
        const auto out = x_->xdotool(arguments);
        EXPECT_TRUE(out.has_value()) << arguments;
        return out.value_or("");
    }

    // The size of the window named exactly vantrel, once it is mapped with that size, looked
    // for every tenth of a second or so.
    bool waitForWindowOfSize(int width, int height, int looks = 100) {
        const std::string wanted = "Geometry: " + std::to_string(width) + "x" + std::to_string(height);
        for (int i = 0; i < looks; ++i) {
            if (xdotool("search --sync --onlyvisible --name '^vantrel$' getwindowgeometry %@").find(wanted) !=
                std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // The pointer rests on the target first: with no window manager, focus follows the pointer,
    // and the dialog reads the pointer only while it has the focus.
    void click(Point p) {
        xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
        std::this_thread::sleep_for(300ms);
        xdotool("click 1");
    }

    // Held long enough for at least one logic tick to see it.
    void tap(const std::string& key) {
        xdotool("keydown " + key);
        std::this_thread::sleep_for(80ms);
        xdotool("keyup " + key);
        std::this_thread::sleep_for(80ms);
    }

    std::string gameOutput() const { return test::readText(dir_ + "/game.out"); }

    std::string dir_;
    std::unique_ptr<test::XServer> x_;
};

// Whether the process has ended, without reaping it: waitForExit still reads its code.
bool endsWithin(pid_t pid, std::chrono::milliseconds timeout) {
    for (auto waited = 0ms; waited < timeout; waited += 20ms) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

TEST_F(Desktop, CancelEndsWithCodeZeroBeforeAnyGameWindow) {
    const pid_t game = startGame({});
    ASSERT_TRUE(waitForWindowOfSize(238, 165)) << "the start dialog";
    click(CANCEL_BUTTON);
    // On a loaded CI machine a click has once gone unseen and the dialog stayed open. A player
    // clicks again, and so does the test, once: a CANCEL that never works still fails.
    if (!endsWithin(game, 3s)) click(CANCEL_BUTTON);
    EXPECT_EQ(test::waitForExit(game, 10s), 0);
}

TEST_F(Desktop, TheStartDialogWorksFromTheKeyboard) {
    pid_t game = startGame({});
    ASSERT_TRUE(waitForWindowOfSize(238, 165));
    xdotool("mousemove 100 60");  // with no window manager the focus follows the pointer
    std::this_thread::sleep_for(300ms);
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 0) << "Esc cancels";

    game = startGame({});
    ASSERT_TRUE(waitForWindowOfSize(238, 165));
    xdotool("mousemove 100 60");
    std::this_thread::sleep_for(300ms);
    tap("Tab");                                    // from START to CANCEL
    for (int i = 0; i < 4; ++i) tap("shift+Tab");  // back past START, QUALITY and ENABLE SOUND
    tap("space");
    tap("Return");
    EXPECT_TRUE(waitForWindowOfSize(1024, 768)) << "FULL SCREEN chosen and started from the keyboard";
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
}

TEST_F(Desktop, StartInAWindowGivesA640x480ClientAreaAndEscapeEnds) {
    const pid_t game = startGame({"--print-hash"});
    ASSERT_TRUE(waitForWindowOfSize(238, 165));
    click(START_BUTTON);
    // As with CANCEL: a click a loaded machine let go unseen is clicked again, once.
    if (!waitForWindowOfSize(640, 480, 30)) click(START_BUTTON);
    ASSERT_TRUE(waitForWindowOfSize(640, 480));
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
    EXPECT_NE(gameOutput().find("world-hash"), std::string::npos) << "ended through the normal shutdown";
}

TEST_F(Desktop, QuitRequestEndsThroughTheNormalShutdown) {
    const std::string ready = dir_ + "/ready-to-quit.png";
    const pid_t game = startGame({"--window", "--no-sound", "--print-hash", "--screenshot", "1:" + ready});
    for (int i = 0; i < 500 && !std::filesystem::exists(ready); ++i) std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(std::filesystem::exists(ready));
    kill(game, SIGINT);  // SDL turns it into the same quit request a closed window makes
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
    EXPECT_NE(gameOutput().find("world-hash"), std::string::npos);
}

TEST_F(Desktop, TypedKeysRecordedThenReplayedGiveTheSameWorld) {
    const std::string recording = dir_ + "/typed.txt";
    const std::string ready = dir_ + "/ready.png";
    const pid_t game = startGame({"--window", "--no-sound", "--record", recording, "--print-hash", "--quit-after",
                                  "150", "--screenshot", "1:" + ready});
    for (int i = 0; i < 500 && !std::filesystem::exists(ready); ++i) std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(std::filesystem::exists(ready)) << "the first frame was drawn";
    tap("space");
    tap("KP_Begin");  // mission 2
    tap("space");
    xdotool("keydown KP_Left keydown z");
    std::this_thread::sleep_for(400ms);
    xdotool("keyup KP_Left keyup z");
    ASSERT_EQ(test::waitForExit(game, 30s), 1);
    const std::string typedHash = gameOutput();
    const std::string script = test::readText(recording);
    EXPECT_NE(script.find("SPACE"), std::string::npos) << script;
    EXPECT_NE(script.find("NUMPAD5"), std::string::npos) << "keypad keys arrive as NUMPAD codes: " << script;
    EXPECT_NE(script.find("NUMPAD4"), std::string::npos) << script;

    const auto replay = test::runVantrel({"--window", "--no-sound", "--fast", "--data", VANTREL_DATA_DIR, "--input",
                                          recording, "--quit-after", "150", "--print-hash"});
    ASSERT_EQ(replay.exitCode, 1) << replay.err;
    EXPECT_EQ(test::worldHashOf(replay), test::worldHashOf({1, false, typedHash, ""}));
}

TEST_F(Desktop, ArrowKeysFlyAndMoveTheMenuCursorAsTheKeypadDoes) {
    const std::string recording = dir_ + "/arrows.txt";
    const std::string ready = dir_ + "/arrows-ready.png";
    const pid_t game = startGame(
        {"--window", "--no-sound", "--record", recording, "--quit-after", "120", "--screenshot", "1:" + ready});
    for (int i = 0; i < 500 && !std::filesystem::exists(ready); ++i) std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(std::filesystem::exists(ready));
    tap("space");
    tap("Down");
    tap("space");
    xdotool("keydown Left keydown period");
    std::this_thread::sleep_for(300ms);
    xdotool("keyup Left keyup period");
    ASSERT_EQ(test::waitForExit(game, 30s), 1);
    const std::string script = test::readText(recording);
    for (const char* code : {"NUMPAD5", "NUMPAD4", "NUMPAD9"}) {
        EXPECT_NE(script.find(code), std::string::npos) << code << " in " << script;
    }
}

// Alt+Enter reaches the game and is not the information key (which RETURN alone still is).
TEST_F(Desktop, AltEnterIsNotTheInformationKey) {
    const std::string recording = dir_ + "/alt-enter.txt";
    const pid_t game = startGame({"--window", "--no-sound", "--record", recording});
    ASSERT_TRUE(waitForWindowOfSize(640, 480));
    xdotool("mousemove 100 100");
    std::this_thread::sleep_for(300ms);
    xdotool("keydown alt");
    tap("Return");
    xdotool("keyup alt");
    tap("alt+KP_Enter");
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
    const std::string script = test::readText(recording);
    EXPECT_NE(script.find("LMENU"), std::string::npos) << "the keys reached the game: " << script;
    EXPECT_EQ(script.find("RETURN"), std::string::npos) << "no information box asked for: " << script;
}

// Xvfb runs no window manager: the game sizes its full-screen window itself, and the picture
// is as large as the window it got.
TEST_F(Desktop, FullScreenFillsTheScreenAndAltEnterLeavesAndReturns) {
    const std::string recording = dir_ + "/full-screen.txt";
    const std::string shot = dir_ + "/full-screen.png";
    const pid_t game = startGame({"--fullscreen", "--no-sound", "--record", recording, "--screenshot", "2:" + shot});
    ASSERT_TRUE(waitForWindowOfSize(1024, 768)) << "the whole screen";
    xdotool("mousemove 100 100");
    std::this_thread::sleep_for(300ms);
    tap("alt+Return");
    EXPECT_TRUE(waitForWindowOfSize(640, 480)) << "a window of the default size";
    tap("alt+Return");
    EXPECT_TRUE(waitForWindowOfSize(1024, 768)) << "full screen again";
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
    const test::Image picture = test::loadPng(shot);
    EXPECT_EQ(picture.width, 1024) << "the picture fills the window SDL gave";
    EXPECT_EQ(picture.height, 768);
    EXPECT_EQ(test::readText(recording).find("RETURN"), std::string::npos) << "no information box in full screen";
}

TEST_F(Desktop, AltEnterTwiceReturnsToTheWindowAtItsSize) {
    const pid_t game = startGame({"--window", "--no-sound", "--size", "800x600"});
    ASSERT_TRUE(waitForWindowOfSize(800, 600));
    xdotool("mousemove 100 100");
    std::this_thread::sleep_for(300ms);
    tap("alt+Return");
    EXPECT_TRUE(waitForWindowOfSize(1024, 768));
    tap("alt+Return");
    EXPECT_TRUE(waitForWindowOfSize(800, 600));
    tap("Escape");
    EXPECT_EQ(test::waitForExit(game, 10s), 1);
}

// A network game runs on for the others while the player's window has no focus: the computer
// flies that player's aircraft meanwhile. A game alone would stand still.
TEST_F(Desktop, ANetworkGameGoesOnWhileItsWindowHasNoFocus) {
    const std::string ticks = "150";
    const std::vector<std::string> onThisDisplay = {"DISPLAY=" + x_->display(), "SDL_VIDEODRIVER=x11",
                                                    "SDL_AUDIODRIVER=dummy"};
    const test::Started host =
        test::startVantrel({"--window", "--no-sound", "--data", VANTREL_DATA_DIR, "--name", "HOST", "--host", "--port",
                            "0", "--start-with", "2", "--mission", "2", "--quit-after", ticks},
                           onThisDisplay);
    const std::string line = test::awaitLine(host, "others join with: vantrel --join ", 30);
    ASSERT_FALSE(line.empty()) << test::readText(host.errFile);
    const test::Started joiner =
        test::startVantrel({"--window", "--no-sound", "--data", VANTREL_DATA_DIR, "--size", "320x240", "--name", "WING",
                            "--join", "127.0.0.1:" + line.substr(line.rfind(':') + 1), "--quit-after", ticks},
                           onThisDisplay);
    // The second player's window takes the focus from the host's.
    xdotool("search --sync --onlyvisible --pid " + std::to_string(joiner.pid) +
            " --name '^vantrel$' windowfocus --sync %1");
    const test::RunResult hosted = test::finish(host, 60);
    const test::RunResult joined = test::finish(joiner, 60);
    EXPECT_EQ(hosted.exitCode, 1) << hosted.err;
    EXPECT_EQ(joined.exitCode, 1) << joined.err;
    EXPECT_NE(joined.err.find("HOST IS AWAY: THE COMPUTER FLIES THEIR AIRCRAFT"), std::string::npos) << joined.err;
}

}  // namespace
}  // namespace vantrel
