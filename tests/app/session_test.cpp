// The run of ticks and frames the SDL program and the browser program share, driven here
// through a stand-in platform on the offscreen video driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "game/flow.h"
#include "play/session.h"
#include "render/device.h"
#include "world/keys.h"
#include "world/random.h"
#include "world/sound_events.h"

namespace vantrel {

namespace {

const std::string DATA = VANTREL_DATA_DIR;

// Through the title, to the menu, into the first mission, flying with the keys of both sets.
constexpr const char* SCRIPT = "seed 11\n20 SPACE\n40 SPACE\n60-90 NUMPAD8 Z\n95-120 RETURN\n";

class StandInPlatform final : public SessionHost {
public:
    uint32_t clock = 0;
    uint8_t playerKeys[256] = {};
    int playerSnapshots = 0;
    std::vector<std::string> information;
    struct Shot {
        int tick;
        size_t pixels;
        int width, height;
    };
    std::vector<Shot> shots;

    uint32_t now() override { return clock; }
    void takePlayerKeys(uint8_t out[256]) override {
        ++playerSnapshots;
        std::memcpy(out, playerKeys, 256);
    }
    void showInformation(const std::string& text) override { information.push_back(text); }
    std::vector<std::string> keyNames(uint8_t code) override {
        return code == VK_PAUSE ? std::vector<std::string>{"P"} : std::vector<std::string>{};
    }
    bool gamepadConnected() override { return false; }
    void saveScreenshot(const ScreenshotRequest& request, const std::vector<uint32_t>& argb, int width,
                        int height) override {
        shots.push_back({request.tick, argb.size(), width, height});
    }
    std::unique_ptr<net::MessageLink> connectToRelay(const net::JoinAddress&, std::string& error) override {
        error = "no network here";
        return nullptr;
    }
    std::optional<HostingPlace> hostingPlace(std::string& error) override {
        error = "no network here";
        return std::nullopt;
    }
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        render::Device::requestContextAttributes();
        window_ = SDL_CreateWindow("session", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }
    std::unique_ptr<render::Device> device() { return render::Device::initGraphics(window_, DATA); }

    // Passes of the scheduler until the session ends (or a limit is passed).
    static int runToTheEnd(Session& session) {
        int passes = 0;
        while (session.running() && passes < 10000) {
            schedulerStep(session.scheduler(), session);
            ++passes;
        }
        return passes;
    }

    SDL_Window* window_ = nullptr;
};

// The World the core makes of the script's keys on its own.
uint64_t worldAfterScript(const KeyScript& script, uint32_t seed, int ticks) {
    auto w = std::make_unique<World>();
    seedRandom(w->rngState, seed);
    loadWorldAssets(*w, DATA);
    w->running = 1;
    uint8_t snapshot[256];
    for (int tick = 1; tick <= ticks; ++tick) {
        script.snapshot(tick, snapshot);
        logicTick(*w, DATA, snapshot);
        clearSoundEvents(w->seats[PLAYER_SEAT].sounds);  // as the program does once it has played them
    }
    w->running = 0;  // the run ended after its last tick
    return hashWorld(*w);
}

std::string hashLine(uint64_t hash) {
    char line[64];
    std::snprintf(line, sizeof line, "world-hash %016llx", static_cast<unsigned long long>(hash));
    return line;
}

}  // namespace

TEST_F(SessionTest, AKeyScriptRunsTheCoresWorldRecordsItsKeysAndEndsAfterQuitAfter) {
    Options options;
    options.fast = true;
    options.quitAfter = 150;
    options.printHash = true;
    options.recordFile = ::testing::TempDir() + "session-record-" + std::to_string(getpid()) + ".keys";
    options.screenshots = {{30, "title.png"}, {100, "mission.png"}, {151, "never.png"}};
    RunRequests requests;
    requests.script.emplace();
    std::string error;
    ASSERT_TRUE(requests.script->parse(SCRIPT, error)) << error;
    requests.seed = 11;
    requests.recordFile.open(options.recordFile);
    StandInPlatform platform;
    platform.playerKeys[VK_ESCAPE] = KEY_DOWN_BIT;  // a script's run never reads the player
    Sound sound;
    Session session(options, DATA, requests, platform, sound);
    session.start(device());
    ASSERT_NE(session.device(), nullptr);

    const int passes = runToTheEnd(session);
    EXPECT_EQ(passes, 150) << "one tick a pass in a fast run, and not one after quit-after";
    EXPECT_EQ(platform.playerSnapshots, 0);
    ASSERT_EQ(platform.shots.size(), 2u) << "the frame after ticks 30 and 100; 151 never comes";
    EXPECT_EQ(platform.shots[0].tick, 30);
    EXPECT_EQ(platform.shots[1].tick, 100);
    for (const auto& shot : platform.shots) {
        EXPECT_EQ(shot.width, 640);
        EXPECT_EQ(shot.height, 480);
        EXPECT_EQ(shot.pixels, size_t(640) * 480);
    }
    ASSERT_FALSE(platform.information.empty()) << "RETURN asks for the information box";
    EXPECT_EQ(platform.information.front().rfind("vantrel version ", 0), 0u) << platform.information.front();

    const std::vector<std::string> lines = session.finish();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], hashLine(worldAfterScript(*requests.script, 11, 150)));
    session.releaseDevice();

    std::ifstream recorded(options.recordFile);
    std::stringstream text;
    text << recorded.rdbuf();
    KeyScript replay;
    ASSERT_TRUE(replay.parse(text.str(), error)) << error;
    EXPECT_EQ(replay.seed(), 11u);
    EXPECT_EQ(worldAfterScript(replay, 11, 150), worldAfterScript(*requests.script, 11, 150))
        << "the recording replays the same World";
}

TEST_F(SessionTest, TheDemoFliesAloneUntilThePlayerPressesEscape) {
    Options options;
    options.fast = true;
    options.demo = 1;
    options.quitAfter = 400;
    RunRequests requests;
    requests.seed = 3;
    StandInPlatform platform;
    Sound sound;
    Session session(options, DATA, requests, platform, sound);
    session.start(device());
    for (int pass = 0; pass < 100; ++pass) schedulerStep(session.scheduler(), session);
    EXPECT_TRUE(session.running());
    EXPECT_EQ(session.world().gameMode, MODE_MISSION) << "the demo pilot took the menu into the mission";
    EXPECT_EQ(platform.playerSnapshots, 100) << "the player's keys are read for ESC";

    platform.playerKeys[VK_ESCAPE] = KEY_DOWN_BIT;
    const int passes = runToTheEnd(session);
    EXPECT_LT(passes, 300) << "ESC abandons the mission and then leaves the title";
    const std::vector<std::string> lines = session.finish();
    ASSERT_EQ(lines.size(), 1u) << "the demo's outcome, and no hash unless asked";
    EXPECT_EQ(lines[0].rfind("demo: situation 1", 0), 0u) << lines[0];
}

}  // namespace vantrel

namespace vantrel {

// The player's keys one pass (one tick in a fast run) at a time: P pauses and resumes, a mission's
// first ESC is held back and the second leaves. The World stands still while paused, and the
// recording holds only the ticks that ran, with the ESC that reached the game, so it replays the
// same World.
TEST_F(SessionTest, PauseFreezesTheWorldAndAConfirmedEscapeReplaysExactly) {
    Options options;
    options.fast = true;
    options.recordFile = ::testing::TempDir() + "session-pause-" + std::to_string(getpid()) + ".keys";
    RunRequests requests;
    requests.seed = 5;
    requests.recordFile.open(options.recordFile);
    StandInPlatform platform;
    Sound sound;
    Session session(options, DATA, requests, platform, sound);
    session.start(device());
    const auto pass = [&](std::initializer_list<int> keys) {
        std::memset(platform.playerKeys, 0, sizeof platform.playerKeys);
        for (int k : keys) platform.playerKeys[k] = KEY_DOWN_BIT;
        schedulerStep(session.scheduler(), session);
    };
    pass({});
    pass({VK_SPACE});
    pass({});
    pass({VK_SPACE});  // situation 1
    for (int i = 0; i < 20; ++i) pass({VK_Z});
    ASSERT_EQ(session.world().gameMode, MODE_MISSION);

    pass({VK_PAUSE});
    const uint64_t paused = hashWorld(session.world());
    for (int i = 0; i < 30; ++i) pass({VK_NUMPAD8, VK_Z, VK_X});
    pass({});
    EXPECT_EQ(hashWorld(session.world()), paused) << "nothing of the World changes while paused";
    pass({VK_PAUSE});
    EXPECT_EQ(hashWorld(session.world()), paused) << "the key that resumes runs no tick";
    pass({});
    EXPECT_NE(hashWorld(session.world()), paused) << "then the ticks go on";

    pass({VK_ESCAPE});
    pass({VK_ESCAPE});
    for (int i = 0; i < 10; ++i) pass({});
    EXPECT_EQ(session.world().gameMode, MODE_MISSION) << "the first ESC asks";
    pass({VK_ESCAPE});
    EXPECT_EQ(session.world().gameMode, MODE_TITLE) << "the second within the time leaves";
    pass({});
    pass({VK_ESCAPE});  // the title's ESC ends the game at once
    ASSERT_FALSE(session.running());
    const uint64_t played = hashWorld(session.world());
    session.finish();
    session.releaseDevice();

    KeyScript replay;
    std::string error;
    ASSERT_TRUE(replay.load(options.recordFile, error)) << error;
    EXPECT_EQ(replay.lastTick(), 4 + 20 + 1 + 2 + 10 + 1 + 1 + 1) << "paused passes are no ticks";
    EXPECT_EQ(worldAfterScript(replay, 5, replay.lastTick()), played);
}

}  // namespace vantrel
