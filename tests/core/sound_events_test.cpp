#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "fixtures.h"
#include "game/flow.h"
#include "sim/flight.h"
#include "sound/sound.h"

using namespace vantrel;

namespace {

// The recording library: a function table whose entries note every call.
struct Call {
    int operation;  // PLAY or LOOP
    int first, second;
    bool operator==(const Call&) const = default;
};
constexpr int PLAY = 0;
constexpr int LOOP = 1;

std::vector<Call> calls;

int recordInit(HWND__*) { return 1; }
void recordEnd() {}
int recordLoad(char*, char) { return 1; }
int recordLoadLoop(char*) { return 1; }
void recordPlay(char channel, char volume) { calls.push_back({PLAY, channel, volume}); }
void recordLoop(char operation, char level) { calls.push_back({LOOP, operation, level}); }
char* recordVersion() { return nullptr; }

void PrintTo(const Call& c, std::ostream* os) {
    *os << (c.operation == PLAY ? "DSplay(" : "DSloopOPE(") << c.first << ", " << c.second << ")";
}

Call play(int channel, int volume) { return {PLAY, channel, volume}; }
Call loop(int operation, int level) { return {LOOP, operation, level}; }

std::vector<Call> loopCalls() {
    std::vector<Call> out;
    for (const Call& c : calls)
        if (c.operation == LOOP) out.push_back(c);
    return out;
}

// Situation 1 holds two sides 250 units apart; situation 2 only the player's side.
std::string writeSituations() {
    const auto dir = std::filesystem::temp_directory_path() / ("vantrel-sound-events-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write("s1.au1", test::situationBytes(0, 2, {{0, 30, 0, 0, 0, 1, 0}, {62.5f, 30, 0, 0, 1, 2, 0}}));
    write("s2.au1", test::situationBytes(0, 2, {{0, 30, 0, 0, 0, 1, 0}, {5, 30, 0, 0, 1, 1, 0}}));
    return dir.string();
}

// The real game flow, driven one logic tick at a time with the keys held in that tick.
class SoundEvents : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        sound.lib = SoundLibrary{recordInit, recordEnd, recordLoad, recordLoadLoop,
                                 recordPlay, recordLoop, recordVersion};
        sound.soundEnabled = 1;
        dataDir = writeSituations();
        loadWorldAssets(*w, dataDir);
    }

    void tick(std::initializer_list<int> held = {}) {
        uint8_t snapshot[256] = {};
        for (int key : held) snapshot[key] = KEY_DOWN_BIT;
        logicTick(*w, sound, dataDir, snapshot);
    }

    // From the title screen into situation n; leaves the calls of the start recorded.
    void startMission(int n) {
        tick({VK_SPACE});
        tick();
        for (int i = 1; i < n; ++i) {
            tick({VK_NUMPAD5});
            tick();
        }
        calls.clear();
        tick({VK_SPACE});
        ASSERT_EQ(w->gameMode, MODE_MISSION);
    }

    Aircraft& player() { return w->aircraft[w->playerIndex]; }

    std::unique_ptr<World> w = test::makeWorld();
    Sound sound;
    std::string dataDir;
};

}  // namespace

TEST_F(SoundEvents, TitleSpaceConfirms) {
    tick();
    EXPECT_TRUE(calls.empty());
    tick({VK_SPACE});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_CONFIRM, 80)});
}

TEST_F(SoundEvents, MenuCursorSoundsOnceWhenBothKeysArePressed) {
    tick({VK_SPACE});
    tick();
    calls.clear();
    tick({VK_NUMPAD8, VK_NUMPAD5});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_MOVE, 80)});
    EXPECT_EQ(w->flowCounter, 1);
    calls.clear();
    tick({VK_NUMPAD8, VK_NUMPAD5});  // still held: not pressed again
    EXPECT_TRUE(calls.empty());
    tick();
    tick({VK_NUMPAD8});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_MOVE, 80)});
    EXPECT_EQ(w->flowCounter, 5);
}

TEST_F(SoundEvents, LeavingTheMenuConfirms) {
    tick({VK_SPACE});
    tick();
    calls.clear();
    tick({VK_ESCAPE});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_CONFIRM, 80)});
    EXPECT_EQ(w->gameMode, MODE_TITLE);
}

TEST_F(SoundEvents, MissionBeginStartsTheEngineLoopBeforeTheConfirmSound) {
    startMission(1);
    EXPECT_EQ(calls, (std::vector<Call>{loop(LOOP_START, 0), play(SOUND_MENU_CONFIRM, 80)}));
}

TEST_F(SoundEvents, EngineLevelFollowsPlayerSpeedEveryTick) {
    startMission(1);
    const std::vector<std::pair<float, int>> speedToLevel = {{0.5f, 85}, {0.05f, 62}, {0.65f, 92}};
    for (const auto& [speed, level] : speedToLevel) {
        player().speed = speed;
        calls.clear();
        tick();
        EXPECT_EQ(loopCalls(), std::vector<Call>{loop(LOOP_LEVEL, level)}) << "speed " << speed;
    }
}

TEST_F(SoundEvents, EngineLevelIsZeroOnceThePlayerIsDestroyed) {
    startMission(1);
    player().side = 0;
    calls.clear();
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(loopCalls(), std::vector<Call>(3, loop(LOOP_LEVEL, 0)));
}

TEST_F(SoundEvents, EscapeStopsTheEngineLoopAfterTheTicksLevel) {
    startMission(1);
    player().speed = 0.5f;
    calls.clear();
    tick({VK_ESCAPE});
    EXPECT_EQ(loopCalls(), (std::vector<Call>{loop(LOOP_LEVEL, 85), loop(LOOP_STOP, 0)}));
    EXPECT_EQ(w->gameMode, MODE_TITLE);
    calls.clear();
    tick();
    tick();
    EXPECT_TRUE(calls.empty());
}

TEST_F(SoundEvents, CountdownEndStopsTheEngineLoop) {
    startMission(2);
    calls.clear();
    int missionTicks = 0;
    while (w->gameMode == MODE_MISSION && missionTicks < 1000) {
        tick();
        ++missionTicks;
    }
    // The countdown is set in the first tick and runs out 150 ticks later.
    EXPECT_EQ(missionTicks, 1 + END_COUNTDOWN_TICKS);
    const std::vector<Call> loops = loopCalls();
    ASSERT_EQ(loops.size(), static_cast<std::size_t>(missionTicks + 1));
    for (std::size_t i = 0; i + 1 < loops.size(); ++i) EXPECT_EQ(loops[i].first, LOOP_LEVEL);
    EXPECT_EQ(loops.back(), loop(LOOP_STOP, 0));
}

TEST_F(SoundEvents, VolumeFallsWithDistanceFromTheCamera) {
    w->cameraPos = Vec3{5.0f, 10.0f, -3.0f};
    const struct {
        float dx, dy, dz;
        int volume;  // 0: not played
    } cases[] = {
        {0, 0, 0, 100}, {6, 0, 8, 85}, {0, -10, 0, 85}, {0, 0, 66.66f, 1}, {0, 66.67f, 0, 0}, {-40, 0, 60, 0},
    };
    for (const auto& c : cases) {
        calls.clear();
        playSoundAt(*w, sound, 5.0f + c.dx, 10.0f + c.dy, -3.0f + c.dz, SOUND_EXPLOSION);
        const std::vector<Call> expected =
            c.volume ? std::vector<Call>{play(SOUND_EXPLOSION, c.volume)} : std::vector<Call>{};
        EXPECT_EQ(calls, expected) << "offset " << c.dx << " " << c.dy << " " << c.dz;
    }
}

TEST_F(SoundEvents, NothingIsCalledWithSoundOff) {
    sound.soundEnabled = 0;
    startMission(1);
    for (int i = 0; i < 20; ++i) tick();
    tick({VK_ESCAPE});
    tick();
    tick({VK_SPACE});
    tick();
    tick({VK_NUMPAD5});
    tick();
    tick({VK_ESCAPE});
    playSoundAt(*w, sound, w->cameraPos.x, w->cameraPos.y, w->cameraPos.z, SOUND_GUN);
    EXPECT_TRUE(calls.empty());
}

TEST_F(SoundEvents, EngineLevelDropsToZeroInTheTickThePlayerIsDestroyed) {
    startMission(1);
    player().armor = 0;
    calls.clear();
    tick();
    ASSERT_EQ(w->aircraft[w->playerIndex].side, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation, PLAY);
    EXPECT_EQ(calls[0].first, SOUND_EXPLOSION);
    EXPECT_EQ(calls[1], loop(LOOP_LEVEL, 0));
}

// A pair of rockets sounds once, from the second rocket's launch point.
TEST_F(SoundEvents, RocketPairSoundsFromTheSecondLaunchPoint) {
    const int shooter = test::addAircraft(*w, 0.0f, 30.0f, 0.0f, 0.0f, 5, 1);
    w->aircraft[shooter].speed = 0.5f;
    w->aircraft[shooter].controls = CTRL_FIRE_LAUNCHER;
    w->cameraPos = Vec3{-0.5f, 30.0f, 0.7f};  // the second muzzle once the aircraft has moved
    updateAircraft(*w, sound);
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_LAUNCH, 100)});
}
