// The real libezds.so, bound as the game binds it, playing on SDL's disk audio driver: the
// driver writes what the mixer produced, in real time, to a raw file of 16-bit samples.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sound/binding.h"
#include "wave_file.h"

using namespace vantrel;
using test::peak;

namespace {

constexpr int BYTES_PER_SECOND = test::TEST_RATE * 2 * 2;  // 16-bit stereo

std::filesystem::path scratch(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vantrel-ezds-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

class Ezds : public ::testing::Test {
protected:
    void SetUp() override {
        output = scratch("out.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        ASSERT_TRUE(bindSoundLibrary(sound, VANTREL_EZDS_LIBRARY));
        ASSERT_EQ(sound.lib.DSinit(nullptr), 1);
        sound.soundEnabled = true;
        load(SOUND_GUN, test::sineSamples(440.0, 0.2, 16000.0));
        std::string engine = scratch("engine.wav").string();
        test::writeWave(engine, test::sineSamples(110.0, 0.5, 16000.0));
        ASSERT_EQ(sound.lib.DSloadL(engine.data()), 1);
    }

    void TearDown() override {
        stopSound(sound);
        std::filesystem::remove_all(output.parent_path());
    }

    void load(int channel, const std::vector<int16_t>& samples) {
        std::string file = scratch("channel" + std::to_string(channel) + ".wav").string();
        test::writeWave(file, samples);
        ASSERT_EQ(sound.lib.DSload(file.data(), static_cast<char>(channel)), 1);
    }

    std::uintmax_t written() const {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(output, error);
        return error ? 0 : size;
    }

    // Waits until the driver has written the given span more, then returns it.
    std::vector<int16_t> capture(double seconds) const {
        const std::uintmax_t from = written();
        const auto bytes = static_cast<std::uintmax_t>(seconds * BYTES_PER_SECOND) & ~std::uintmax_t{3};
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (written() < from + bytes && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::vector<int16_t> samples(bytes / 2);
        std::ifstream f(output, std::ios::binary);
        f.seekg(static_cast<std::streamoff>(from));
        f.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(bytes));
        samples.resize(static_cast<std::size_t>(f.gcount()) / 2);
        return samples;
    }

    std::filesystem::path output;
    Sound sound;
};

}  // namespace

TEST_F(Ezds, PlayedChannelIsHeardAndEndsInSilence) {
    EXPECT_EQ(peak(capture(0.1)), 0);
    sound.lib.DSplay(SOUND_GUN, 100);
    EXPECT_GT(peak(capture(0.3)), 6000);
    EXPECT_EQ(peak(capture(0.2)), 0);
}

TEST_F(Ezds, EngineLoopIsHeardUntilStopped) {
    sound.lib.DSloopOPE(LOOP_START, 0);
    sound.lib.DSloopOPE(LOOP_LEVEL, 85);
    const std::vector<int16_t> running = capture(1.0);  // twice the loop's length
    EXPECT_GT(peak(running), 6000);
    EXPECT_GT(peak(std::vector<int16_t>(running.end() - 8000, running.end())), 6000);
    sound.lib.DSloopOPE(LOOP_STOP, 0);
    capture(0.1);
    EXPECT_EQ(peak(capture(0.3)), 0);
}

TEST_F(Ezds, EngineLoopAtLevelZeroIsSilent) {
    sound.lib.DSloopOPE(LOOP_START, 0);
    sound.lib.DSloopOPE(LOOP_LEVEL, 0);
    capture(0.1);
    EXPECT_EQ(peak(capture(0.3)), 0);
    sound.lib.DSloopOPE(LOOP_LEVEL, 70);
    EXPECT_GT(peak(capture(0.3)), 5000);
}

TEST_F(Ezds, HigherVolumeAndLevelAreLouder) {
    sound.lib.DSplay(SOUND_GUN, 20);
    const int quiet = peak(capture(0.4));
    sound.lib.DSplay(SOUND_GUN, 100);
    const int loud = peak(capture(0.4));
    EXPECT_GT(quiet, 0);
    EXPECT_GT(loud, quiet * 3);

    sound.lib.DSloopOPE(LOOP_START, 0);
    sound.lib.DSloopOPE(LOOP_LEVEL, 30);
    capture(0.1);
    const int lowLevel = peak(capture(0.3));
    sound.lib.DSloopOPE(LOOP_LEVEL, 90);
    capture(0.1);
    const int highLevel = peak(capture(0.3));
    EXPECT_GT(highLevel, lowLevel * 2);
}

// A steady sample makes overlapping plays add up where a restart would not.
TEST_F(Ezds, ChannelPlayedAgainWhileSoundingOverlaps) {
    load(SOUND_HIT, std::vector<int16_t>(test::TEST_RATE / 2, 6000));
    sound.lib.DSplay(SOUND_HIT, 100);
    const int once = peak(capture(0.7));
    sound.lib.DSplay(SOUND_HIT, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    sound.lib.DSplay(SOUND_HIT, 100);
    const int twice = peak(capture(0.4));
    EXPECT_GT(once, 2000);
    EXPECT_GT(twice, once * 3 / 2);
}

TEST_F(Ezds, UnknownChannelsAndMissingFilesAreRefused) {
    std::string missing = scratch("missing.wav").string();
    EXPECT_EQ(sound.lib.DSload(missing.data(), SOUND_BLAST), 0);
    std::string tone = scratch("channel0.wav").string();
    EXPECT_EQ(sound.lib.DSload(tone.data(), 7), 0);
    EXPECT_EQ(sound.lib.DSload(tone.data(), -1), 0);
    EXPECT_EQ(sound.lib.DSloadL(missing.data()), 0);
    sound.lib.DSplay(SOUND_BLAST, 100);  // nothing loaded there
    sound.lib.DSplay(7, 100);
    sound.lib.DSplay(-3, 100);
    sound.lib.DSloopOPE(9, 50);
    EXPECT_EQ(peak(capture(0.3)), 0);
}

TEST_F(Ezds, ReopensAfterEnd) {
    sound.lib.DSend();
    EXPECT_EQ(sound.lib.DSinit(nullptr), 1);
    sound.lib.DSplay(SOUND_GUN, 100);  // the sounds went with DSend
    EXPECT_EQ(peak(capture(0.3)), 0);
}

TEST(EzdsWithoutDevice, InitFailsAndEveryOtherCallIsHarmless) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Sound sound;
    sound.soundEnabled = true;
    startSound(sound, nullptr, VANTREL_EZDS_LIBRARY, "/nonexistent");
    EXPECT_FALSE(sound.soundEnabled);
    ASSERT_NE(sound.lib.DSplay, nullptr);
    char file[] = "/nonexistent/bang.wav";
    EXPECT_EQ(sound.lib.DSload(file, 0), 0);
    sound.lib.DSplay(0, 100);
    sound.lib.DSloopOPE(LOOP_START, 0);
    sound.lib.DSloopOPE(LOOP_LEVEL, 80);
    sound.lib.DSend();
    EXPECT_STRNE(sound.lib.DSver(), "");
    freeSoundLibrary(sound);
}

// The game's own sounds, as the data tool made them beside the game, all decode in the library.
TEST_F(Ezds, EveryGameSoundLoads) {
    const std::filesystem::path data = std::filesystem::path(VANTREL_EZDS_LIBRARY).parent_path() / "data";
    if (!std::filesystem::exists(data / ENGINE_FILE)) GTEST_SKIP() << "no game data in " << data;
    char channel = 0;
    for (const char* name : CHANNEL_FILES) {
        std::string file = (data / name).string();
        EXPECT_EQ(sound.lib.DSload(file.data(), channel++), 1) << file;
    }
    std::string engine = (data / ENGINE_FILE).string();
    EXPECT_EQ(sound.lib.DSloadL(engine.data()), 1);
}
