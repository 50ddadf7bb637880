// The real game with sound: heard on SDL's disk audio driver, and playing on silently when
// the audio device or the sound library is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "wave_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int NORMAL_END = 1;

// Title, the select screen, then a mission with the gun firing until the run ends.
constexpr const char* KEYS =
    "2 SPACE\n"
    "10 SPACE\n"
    "20-60 Z\n";

fs::path scratch(const std::string& test) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-game-sound-" + std::to_string(getpid())) / test;
    fs::create_directories(dir);
    return dir;
}

int runGame(const fs::path& exe, const std::string& env, const fs::path& dir, const std::string& more = "") {
    std::ofstream(dir / "keys.txt") << KEYS;
    const std::string command = "env SDL_VIDEODRIVER=offscreen " + env + " '" + exe.string() +
                                "' --window --seed 3 --data '" + VANTREL_DATA_DIR + "' --input '" +
                                (dir / "keys.txt").string() + "' --quit-after 70 " + more + " >'" +
                                (dir / "log.txt").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string diskDriver(const fs::path& output) {
    return "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + output.string() + "'";
}

}  // namespace

TEST(GameSound, IsHeardOnTheDiskDriver) {
    const fs::path dir = scratch("heard");
    ASSERT_EQ(runGame(VANTREL_EXE, diskDriver(dir / "out.raw"), dir), NORMAL_END);
    const std::vector<int16_t> samples = vantrel::test::readRaw(dir / "out.raw");
    ASSERT_GT(samples.size(), 44100u) << "the run lasts over two seconds of real time";
    EXPECT_GT(vantrel::test::peak(samples), 3000);
    fs::remove_all(dir);
}

TEST(GameSound, SoundOffNeverOpensTheAudioDevice) {
    const fs::path dir = scratch("off");
    ASSERT_EQ(runGame(VANTREL_EXE, diskDriver(dir / "out.raw"), dir, "--no-sound"), NORMAL_END);
    EXPECT_FALSE(fs::exists(dir / "out.raw"));
}

TEST(GameSound, PlaysOnWithoutAnAudioDeviceAndSaysSoOnce) {
    const fs::path dir = scratch("no-device");
    EXPECT_EQ(runGame(VANTREL_EXE, "SDL_AUDIODRIVER=no-such-driver", dir), NORMAL_END);
    std::ifstream log(dir / "log.txt");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_EQ(text.rfind("vantrel: no audio output (", 0), 0u) << text;
    EXPECT_NE(text.find("; playing without sound"), std::string::npos) << text;
}

TEST(GameSound, PlaysOnWithoutTheSoundLibrary) {
    const fs::path dir = scratch("no-library");
    const fs::path lonely = dir / "vantrel";
    fs::copy_file(VANTREL_EXE, lonely, fs::copy_options::overwrite_existing);
    ASSERT_FALSE(fs::exists(dir / "libezds.so"));
    EXPECT_EQ(runGame(lonely, diskDriver(dir / "out.raw"), dir), NORMAL_END);
    EXPECT_FALSE(fs::exists(dir / "out.raw"));
}
