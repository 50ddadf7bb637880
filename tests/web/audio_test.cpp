// The browser build's sound library with its Web Audio side replaced by a recorder: which
// sound plays on which voice at what loudness, what the engine loop is told, and that nothing
// reaches Web Audio while the output is closed.
#include "web/audio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ezds/engine_loop.h"
#include "sound/binding.h"

namespace {

struct Call {
    std::string what;
    int slot = -1;
    int voice = -1;
    double a = 0.0, b = 0.0;
    std::string path;
};

std::vector<Call> calls;
bool outputAvailable = true;

void record(const char* what, int slot = -1, int voice = -1, double a = 0.0, double b = 0.0, const char* path = "") {
    calls.push_back(Call{what, slot, voice, a, b, path});
}

}  // namespace

extern "C" {
int vantrel_audio_open(int engineSlot) {
    record("open", engineSlot);
    return outputAvailable ? 1 : 0;
}
void vantrel_audio_close() { record("close"); }
int vantrel_audio_load(int slot, const char* path) {
    record("load", slot, -1, 0.0, 0.0, path);
    return 1;
}
void vantrel_audio_play(int slot, int voice, double gain) { record("play", slot, voice, gain); }
void vantrel_audio_engine_start() { record("start"); }
void vantrel_audio_engine_set(double rate, double gain) { record("level", -1, -1, rate, gain); }
void vantrel_audio_engine_stop() { record("stop"); }
}

using namespace vantrel;

namespace {

class WebAudio : public ::testing::Test {
protected:
    void SetUp() override {
        outputAvailable = true;
        sound.soundEnabled = 1;
        web::startWebAudio(sound, "/data");
        ASSERT_EQ(sound.soundEnabled, 1);
        calls.clear();
    }
    void TearDown() override {
        stopSound(sound);
        calls.clear();
    }

    void play(int channel, int volume) { sound.lib.DSplay(static_cast<char>(channel), static_cast<char>(volume)); }
    void loop(int operation, int level) { sound.lib.DSloopOPE(static_cast<char>(operation), static_cast<char>(level)); }

    Sound sound;
};

}  // namespace

TEST(WebAudioStart, LoadsEveryChannelAndTheEngineLoopFromTheDataFolder) {
    Sound s;
    s.soundEnabled = 1;
    calls.clear();
    web::startWebAudio(s, "/data");
    ASSERT_EQ(s.soundEnabled, 1);
    ASSERT_EQ(calls.size(), 1u + std::size(CHANNEL_FILES) + 1u);
    EXPECT_EQ(calls[0].what, "open");
    for (size_t channel = 0; channel < std::size(CHANNEL_FILES); ++channel) {
        EXPECT_EQ(calls[1 + channel].slot, static_cast<int>(channel));
        EXPECT_EQ(calls[1 + channel].path, std::string("/data/") + CHANNEL_FILES[channel]);
    }
    EXPECT_EQ(calls.back().slot, calls[0].slot) << "the engine loop goes to the slot named at opening";
    EXPECT_EQ(calls.back().path, std::string("/data/") + ENGINE_FILE);
    EXPECT_STREQ(s.lib.DSver(), "ezds 0.30 (Web Audio)");
    stopSound(s);
    EXPECT_EQ(calls.back().what, "close");
}

TEST(WebAudioStart, NoOutputLeavesSoundOffAndLoadsNothing) {
    Sound s;
    s.soundEnabled = 1;
    outputAvailable = false;
    calls.clear();
    web::startWebAudio(s, "/data");
    EXPECT_EQ(s.soundEnabled, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].what, "open");
    EXPECT_EQ(s.lib.DSload(nullptr, 0), 0);
    s.lib.DSplay(0, 100);
    s.lib.DSloopOPE(0, 50);
    EXPECT_EQ(calls.size(), 1u) << "a closed output passes nothing on";
    outputAvailable = true;
}

TEST(WebAudioStart, SoundOffNeverOpensTheOutput) {
    Sound s;
    calls.clear();
    web::startWebAudio(s, "/data");
    EXPECT_TRUE(calls.empty());
}

TEST_F(WebAudio, PlaysOfOneChannelTakeItsVoicesInTurn) {
    for (int i = 0; i < ezds::VOICES_PER_CHANNEL + 1; ++i) play(2, 100);
    play(3, 100);
    ASSERT_EQ(calls.size(), static_cast<size_t>(ezds::VOICES_PER_CHANNEL + 2));
    for (int i = 0; i < ezds::VOICES_PER_CHANNEL; ++i) {
        EXPECT_EQ(calls[i].slot, 2);
        EXPECT_EQ(calls[i].voice, 2 * ezds::VOICES_PER_CHANNEL + i);
    }
    EXPECT_EQ(calls[ezds::VOICES_PER_CHANNEL].voice, 2 * ezds::VOICES_PER_CHANNEL) << "the oldest play restarts";
    EXPECT_EQ(calls.back().voice, 3 * ezds::VOICES_PER_CHANNEL) << "each channel has voices of its own";
}

TEST_F(WebAudio, LoudnessFollowsTheVolumeUpToTheHeadroom) {
    play(0, 1);
    play(0, 50);
    play(0, 100);
    play(0, 127);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_GT(calls[0].a, 0.0) << "volume 1 stays audible";
    EXPECT_LT(calls[0].a, calls[1].a);
    EXPECT_LT(calls[1].a, calls[2].a);
    EXPECT_DOUBLE_EQ(calls[2].a, ezds::HEADROOM);
    EXPECT_DOUBLE_EQ(calls[3].a, calls[2].a) << "volumes above 100 play as 100";
}

TEST_F(WebAudio, PlaysOutsideTheChannelsOrWithoutVolumeAreIgnored) {
    play(-1, 100);
    play(ezds::ONE_SHOT_CHANNELS, 100);
    play(0, 0);
    play(0, -5);
    EXPECT_TRUE(calls.empty());
    char missing[] = "/data/none.wav";
    EXPECT_EQ(sound.lib.DSload(missing, ezds::ONE_SHOT_CHANNELS), 0);
}

TEST_F(WebAudio, EngineLoopPitchAndLoudnessRiseWithTheLevel) {
    loop(0, 0);
    loop(1, 0);
    loop(1, 62);
    loop(1, 92);
    loop(3, 50);
    loop(2, 0);
    ASSERT_EQ(calls.size(), 5u) << "an unknown operation is ignored";
    EXPECT_EQ(calls[0].what, "start");
    EXPECT_EQ(calls[1].b, 0.0) << "level 0 is silent";
    EXPECT_GT(calls[2].a, calls[1].a);
    EXPECT_GT(calls[3].a, calls[2].a);
    EXPECT_GT(calls[3].b, calls[2].b);
    EXPECT_DOUBLE_EQ(calls[3].a, ezds::engineRate(92)) << "the desktop library's pitch for the level";
    EXPECT_EQ(calls[4].what, "stop");
}

TEST_F(WebAudio, EndClosesTheOutputAndAStartOpensItAgain) {
    sound.lib.DSend();
    play(0, 100);
    loop(0, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].what, "close");
    EXPECT_EQ(sound.lib.DSinit(nullptr), 1);
    play(0, 100);
    EXPECT_EQ(calls.back().what, "play");
    EXPECT_EQ(calls.back().voice, 0) << "voices start over after a restart";
}
