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
#include "sim/sounds.h"
#include "sound/sound.h"

using namespace vantrel;

namespace {

// A sound event, or a call of the sound library, as the tests compare them.
struct Call {
    int operation;  // PLAY or LOOP
    int first, second;
    bool operator==(const Call&) const = default;
};
constexpr int PLAY = 0;
constexpr int LOOP = 1;

void PrintTo(const Call& c, std::ostream* os) {
    *os << (c.operation == PLAY ? "play(" : "loop(") << c.first << ", " << c.second << ")";
}

// Takes the world's sound events out in order, clearing the table as the program does.
std::vector<Call> takeEvents(World& w) {
    std::vector<Call> out;
    for (int i = 0; i < w.seats[PLAYER_SEAT].sounds.count; ++i) {
        const SoundEvent& e = w.seats[PLAYER_SEAT].sounds.events[i];
        out.push_back({e.kind == SOUND_EVENT_PLAY ? PLAY : LOOP, e.code, e.value});
    }
    clearSoundEvents(w.seats[PLAYER_SEAT].sounds);
    return out;
}

// A sound library whose two play entry points note every call.
std::vector<Call> libraryCalls;
void recordPlay(char channel, char volume) { libraryCalls.push_back({PLAY, channel, volume}); }
void recordLoop(char operation, char level) { libraryCalls.push_back({LOOP, operation, level}); }

Sound recordingSound() {
    libraryCalls.clear();
    Sound s;
    s.lib.DSplay = recordPlay;
    s.lib.DSloopOPE = recordLoop;
    s.soundEnabled = true;
    return s;
}

Call play(int channel, int volume) { return {PLAY, channel, volume}; }
Call loop(int operation, int level) { return {LOOP, operation, level}; }

std::vector<Call> calls;  // the events of the ticks since the last clear, in order

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

// The real game flow, driven one logic tick at a time with the keys held in that tick; each
// tick's events are taken out after it.
class TickSounds : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        dataDir = writeSituations();
        loadWorldAssets(*w, dataDir);
    }

    void tick(std::initializer_list<int> held = {}) {
        uint8_t snapshot[256] = {};
        for (int key : held) snapshot[key] = KEY_DOWN_BIT;
        logicTick(*w, dataDir, snapshot);
        const std::vector<Call> events = takeEvents(*w);
        calls.insert(calls.end(), events.begin(), events.end());
    }

    // From the title screen into mission n; leaves the calls of the start recorded.
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

    Aircraft& player() { return w->aircraft[w->seats[PLAYER_SEAT].slot]; }

    std::unique_ptr<World> w = test::makeWorld();
    std::string dataDir;
};

}  // namespace

TEST_F(TickSounds, TitleSpaceConfirms) {
    tick();
    EXPECT_TRUE(calls.empty());
    tick({VK_SPACE});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_CONFIRM, 80)});
}

TEST_F(TickSounds, MenuCursorSoundsOnceWhenBothKeysArePressed) {
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

TEST_F(TickSounds, LeavingTheMenuConfirms) {
    tick({VK_SPACE});
    tick();
    calls.clear();
    tick({VK_ESCAPE});
    EXPECT_EQ(calls, std::vector<Call>{play(SOUND_MENU_CONFIRM, 80)});
    EXPECT_EQ(w->gameMode, MODE_TITLE);
}

TEST_F(TickSounds, MissionBeginStartsTheEngineLoopBeforeTheConfirmSound) {
    startMission(1);
    EXPECT_EQ(calls, (std::vector<Call>{loop(LOOP_START, 0), play(SOUND_MENU_CONFIRM, 80)}));
}

TEST_F(TickSounds, EngineLevelFollowsPlayerSpeedEveryTick) {
    startMission(1);
    const std::vector<std::pair<float, int>> speedToLevel = {{0.5f, 85}, {0.05f, 62}, {0.65f, 92}};
    for (const auto& [speed, level] : speedToLevel) {
        player().speed = speed;
        calls.clear();
        tick();
        EXPECT_EQ(loopCalls(), std::vector<Call>{loop(LOOP_LEVEL, level)}) << "speed " << speed;
    }
}

TEST_F(TickSounds, EngineLevelIsZeroOnceThePlayerIsDestroyed) {
    startMission(1);
    player().side = 0;
    calls.clear();
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(loopCalls(), std::vector<Call>(3, loop(LOOP_LEVEL, 0)));
}

TEST_F(TickSounds, EscapeStopsTheEngineLoopAfterTheTicksLevel) {
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

TEST_F(TickSounds, CountdownEndStopsTheEngineLoop) {
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

TEST_F(TickSounds, VolumeFallsWithDistanceFromTheCamera) {
    w->seats[PLAYER_SEAT].cameraPos = Vec3{5.0f, 10.0f, -3.0f};
    const struct {
        float dx, dy, dz;
        int volume;  // 0: not played
    } cases[] = {
        {0, 0, 0, 100}, {6, 0, 8, 85}, {0, -10, 0, 85}, {0, 0, 66.66f, 1}, {0, 66.67f, 0, 0}, {-40, 0, 60, 0},
    };
    for (const auto& c : cases) {
        emitSoundAt(*w, 5.0f + c.dx, 10.0f + c.dy, -3.0f + c.dz, SOUND_EXPLOSION);
        const std::vector<Call> expected =
            c.volume ? std::vector<Call>{play(SOUND_EXPLOSION, c.volume)} : std::vector<Call>{};
        EXPECT_EQ(takeEvents(*w), expected) << "offset " << c.dx << " " << c.dy << " " << c.dz;
    }
}

TEST_F(TickSounds, EngineLevelDropsToZeroInTheTickThePlayerIsDestroyed) {
    startMission(1);
    player().armor = 0;
    calls.clear();
    tick();
    ASSERT_EQ(w->aircraft[w->seats[PLAYER_SEAT].slot].side, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation, PLAY);
    EXPECT_EQ(calls[0].first, SOUND_EXPLOSION);
    EXPECT_EQ(calls[1], loop(LOOP_LEVEL, 0));
}

// A pair of rockets sounds once, from the second rocket's launch point.
TEST_F(TickSounds, RocketPairSoundsFromTheSecondLaunchPoint) {
    const int shooter = test::addAircraft(*w, 0.0f, 30.0f, 0.0f, 0.0f, 5, 1);
    w->aircraft[shooter].speed = 0.5f;
    w->aircraft[shooter].controls = CTRL_FIRE_LAUNCHER;
    w->seats[PLAYER_SEAT].cameraPos = Vec3{-0.5f, 30.0f, 0.7f};  // the second muzzle once the aircraft has moved
    updateAircraft(*w);
    EXPECT_EQ(takeEvents(*w), std::vector<Call>{play(SOUND_LAUNCH, 100)});
}

// Within a tick the events keep the order of the steps that made them: the player's ground
// contact, gun and launcher in its own update, the engine level at the end of the tick.
TEST_F(TickSounds, EventsKeepTheOrderOfTheTickSteps) {
    startMission(1);
    player().y = 0.0f;
    calls.clear();
    tick({VK_Z, VK_X});
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].first, SOUND_BLAST);
    EXPECT_EQ(calls[1].first, SOUND_GUN);
    EXPECT_EQ(calls[2].first, SOUND_LAUNCH);
    EXPECT_EQ(calls.back().operation, LOOP);
    EXPECT_EQ(calls.back().first, LOOP_LEVEL);
}

// A tick full of one-shots still ends the mission's engine loop.
TEST_F(TickSounds, AFullTableStillTakesTheEngineLoopsLevelAndStop) {
    startMission(1);
    player().speed = 0.5f;
    for (int i = 0; i < MAX_SOUND_EVENTS; ++i) appendSoundPlay(w->seats[PLAYER_SEAT].sounds, SOUND_GUN, 50);
    calls.clear();
    tick({VK_ESCAPE});
    EXPECT_EQ(loopCalls(), (std::vector<Call>{loop(LOOP_LEVEL, 85), loop(LOOP_STOP, 0)}));
    EXPECT_EQ(calls.size(), static_cast<std::size_t>(MAX_SOUND_EVENTS - LOOP_EVENT_RESERVE + 2));
}

TEST(SoundEventTable, FurtherEventsAreDroppedAndCountedOnceTheTableIsFull) {
    auto w = test::makeWorld();
    const int playRoom = MAX_SOUND_EVENTS - LOOP_EVENT_RESERVE;
    for (int i = 0; i < playRoom + 3; ++i) appendSoundPlay(w->seats[PLAYER_SEAT].sounds, SOUND_HIT, i + 1);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, playRoom);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.dropped, 3);
    for (int i = 0; i < LOOP_EVENT_RESERVE + 2; ++i) appendSoundLoop(w->seats[PLAYER_SEAT].sounds, LOOP_LEVEL, i);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, MAX_SOUND_EVENTS);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.dropped, 5);
    const std::vector<Call> events = takeEvents(*w);
    ASSERT_EQ(events.size(), static_cast<std::size_t>(MAX_SOUND_EVENTS));
    EXPECT_EQ(events.front(), play(SOUND_HIT, 1)) << "the first events are kept, not the last";
    EXPECT_EQ(events[playRoom - 1], play(SOUND_HIT, playRoom));
    EXPECT_EQ(events.back(), loop(LOOP_LEVEL, LOOP_EVENT_RESERVE - 1));
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, 0);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.dropped, 0);
}

TEST(SoundEventTable, PlayingCallsTheLibraryInOrderAndClearsTheTable) {
    auto w = test::makeWorld();
    const Sound sound = recordingSound();
    const std::vector<Call> tick = {play(SOUND_GUN, 40), loop(LOOP_LEVEL, 85), play(SOUND_HIT, 7)};
    for (const Call& c : tick) {
        if (c.operation == PLAY) appendSoundPlay(w->seats[PLAYER_SEAT].sounds, c.first, c.second);
        if (c.operation == LOOP) appendSoundLoop(w->seats[PLAYER_SEAT].sounds, c.first, c.second);
    }
    playSoundEvents(sound, w->seats[PLAYER_SEAT].sounds);
    EXPECT_EQ(libraryCalls, tick);
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, 0);

    Sound off = recordingSound();
    off.soundEnabled = false;
    appendSoundPlay(w->seats[PLAYER_SEAT].sounds, SOUND_GUN, 40);
    playSoundEvents(off, w->seats[PLAYER_SEAT].sounds);
    EXPECT_TRUE(libraryCalls.empty());
    EXPECT_EQ(w->seats[PLAYER_SEAT].sounds.count, 0) << "a silent game still empties the table every tick";
}
