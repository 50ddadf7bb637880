#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/binding.h"

using namespace vantrel;

namespace {

const std::string RECORDING = VANTREL_RECORDING_LIBRARY;
const std::string INCOMPLETE = VANTREL_INCOMPLETE_LIBRARY;

HWND__* const WINDOW = reinterpret_cast<HWND__*>(0x5eed);

bool isLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

// The test's own handle on the recording library, to read what it was called with.
class Recorder {
public:
    explicit Recorder(int dsinitResult) : handle_(dlopen(RECORDING.c_str(), RTLD_NOW)) {
        EXPECT_NE(handle_, nullptr) << dlerror();
        reinterpret_cast<void (*)(int)>(dlsym(handle_, "resetRecording"))(dsinitResult);
    }
    ~Recorder() { close(); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    std::vector<std::string> calls() const {
        auto count = reinterpret_cast<int (*)()>(dlsym(handle_, "recordedCallCount"));
        auto call = reinterpret_cast<const char* (*)(int)>(dlsym(handle_, "recordedCall"));
        std::vector<std::string> out;
        for (int i = 0; i < count(); ++i) out.emplace_back(call(i));
        return out;
    }
    void close() {
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
    }

private:
    void* handle_;
};

std::string initCall(HWND__* window) {
    char text[64];
    std::snprintf(text, sizeof text, "DSinit %p", static_cast<void*>(window));
    return text;
}

bool tableIsEmpty(const SoundLibrary& lib) {
    return !lib.DSinit && !lib.DSend && !lib.DSload && !lib.DSloadL && !lib.DSplay && !lib.DSloopOPE && !lib.DSver;
}

}  // namespace

TEST(SoundBinding, MissingLibraryLeavesSoundOff) {
    Sound s;
    s.soundEnabled = true;
    startSound(s, WINDOW, "/nonexistent/libezds.so", "/data");
    EXPECT_FALSE(s.soundEnabled);
    EXPECT_EQ(s.module, nullptr);
    EXPECT_TRUE(tableIsEmpty(s.lib));
    stopSound(s);
}

TEST(SoundBinding, LibraryLackingAnEntryPointIsRefusedAndUnloaded) {
    Sound s;
    EXPECT_FALSE(bindSoundLibrary(s, INCOMPLETE));
    EXPECT_EQ(s.module, nullptr);
    EXPECT_TRUE(tableIsEmpty(s.lib));
    EXPECT_FALSE(isLoaded(INCOMPLETE));
}

TEST(SoundBinding, BindsAllSevenEntryPointsAndFreesThem) {
    Sound s;
    ASSERT_TRUE(bindSoundLibrary(s, RECORDING));
    EXPECT_NE(s.module, nullptr);
    ASSERT_NE(s.lib.DSver, nullptr);
    EXPECT_STREQ(s.lib.DSver(), "recording");
    EXPECT_TRUE(s.lib.DSinit && s.lib.DSend && s.lib.DSload && s.lib.DSloadL && s.lib.DSplay && s.lib.DSloopOPE);
    freeSoundLibrary(s);
    EXPECT_EQ(s.module, nullptr);
    EXPECT_TRUE(tableIsEmpty(s.lib));
    EXPECT_FALSE(isLoaded(RECORDING));
}

TEST(SoundBinding, StartUpInitialisesThenLoadsEveryChannelInOrder) {
    Recorder recorder(1);
    Sound s;
    s.soundEnabled = true;
    startSound(s, WINDOW, RECORDING, "/game/data");
    EXPECT_TRUE(s.soundEnabled);
    const std::vector<std::string> expected = {
        initCall(WINDOW),
        "DSload /game/data/bang.wav 0",
        "DSload /game/data/hit.wav 1",
        "DSload /game/data/bom1.wav 2",
        "DSload /game/data/bom2.wav 3",
        "DSload /game/data/pu.wav 4",
        "DSload /game/data/puun.wav 5",
        "DSload /game/data/syu.wav 6",
        "DSloadL /game/data/engine.wav",
    };
    EXPECT_EQ(recorder.calls(), expected);
    stopSound(s);
}

TEST(SoundBinding, ShutdownEndsThenUnloads) {
    Recorder recorder(1);
    Sound s;
    s.soundEnabled = true;
    startSound(s, WINDOW, RECORDING, "/game/data");
    stopSound(s);
    const std::vector<std::string> calls = recorder.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "DSend");
    EXPECT_FALSE(s.soundEnabled);
    EXPECT_TRUE(tableIsEmpty(s.lib));
    recorder.close();
    EXPECT_FALSE(isLoaded(RECORDING));
    stopSound(s);  // a second shutdown finds nothing to release
}

TEST(SoundBinding, FailedInitTurnsSoundOffAndKeepsTheLibraryLoaded) {
    Recorder recorder(0);
    Sound s;
    s.soundEnabled = true;
    startSound(s, WINDOW, RECORDING, "/game/data");
    EXPECT_FALSE(s.soundEnabled);
    stopSound(s);
    EXPECT_EQ(recorder.calls(), std::vector<std::string>{initCall(WINDOW)});
    recorder.close();
    EXPECT_TRUE(isLoaded(RECORDING));
    freeSoundLibrary(s);  // what leaving the process does
    EXPECT_FALSE(isLoaded(RECORDING));
}

TEST(SoundBinding, SoundOffNeverLoadsTheLibrary) {
    Sound s;
    startSound(s, WINDOW, RECORDING, "/game/data");
    stopSound(s);
    EXPECT_EQ(s.module, nullptr);
    EXPECT_FALSE(isLoaded(RECORDING));
}
