#include "sound/binding.h"

#include <dlfcn.h>

namespace vantrel {

namespace {

// The entry points' names as g++ decorates these plain C++ functions.
constexpr const char* NAME_INIT = "_Z6DSinitP6HWND__";
constexpr const char* NAME_END = "_Z5DSendv";
constexpr const char* NAME_LOAD = "_Z6DSloadPcc";
constexpr const char* NAME_LOAD_LOOP = "_Z7DSloadLPc";
constexpr const char* NAME_PLAY = "_Z6DSplaycc";
constexpr const char* NAME_LOOP = "_Z9DSloopOPEcc";
constexpr const char* NAME_VERSION = "_Z5DSverv";

template <typename Function>
bool lookUp(void* module, const char* name, Function*& entry) {
    entry = reinterpret_cast<Function*>(dlsym(module, name));
    return entry != nullptr;
}

// Looks up all seven in their fixed order; stops at the first one missing.
bool lookUpAll(void* module, SoundLibrary& lib) {
    return lookUp(module, NAME_INIT, lib.DSinit) && lookUp(module, NAME_END, lib.DSend) &&
           lookUp(module, NAME_LOAD, lib.DSload) && lookUp(module, NAME_LOAD_LOOP, lib.DSloadL) &&
           lookUp(module, NAME_PLAY, lib.DSplay) && lookUp(module, NAME_LOOP, lib.DSloopOPE) &&
           lookUp(module, NAME_VERSION, lib.DSver);
}

void loadSounds(const Sound& s, const std::string& dataDir) {
    char channel = 0;
    for (const char* file : CHANNEL_FILES) {
        std::string path = dataDir + "/" + file;
        s.lib.DSload(path.data(), channel++);
    }
    std::string engine = dataDir + "/" + ENGINE_FILE;
    s.lib.DSloadL(engine.data());
}

}  // namespace

bool bindSoundLibrary(Sound& s, const std::string& libraryPath) {
    void* module = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return false;
    SoundLibrary lib{};
    if (!lookUpAll(module, lib)) {
        dlclose(module);
        return false;
    }
    s.lib = lib;
    s.module = module;
    return true;
}

void freeSoundLibrary(Sound& s) {
    if (s.module) dlclose(s.module);
    s.module = nullptr;
    s.lib = SoundLibrary{};
}

void startSound(Sound& s, HWND__* window, const std::string& libraryPath, const std::string& dataDir) {
    if (s.soundEnabled) s.soundEnabled = bindSoundLibrary(s, libraryPath);
    startBoundSound(s, window, dataDir);
}

void startBoundSound(Sound& s, HWND__* window, const std::string& dataDir) {
    if (s.soundEnabled) s.soundEnabled = s.lib.DSinit(window) != 0;
    if (s.soundEnabled) loadSounds(s, dataDir);
}

void stopSound(Sound& s) {
    if (!s.soundEnabled) return;
    s.lib.DSend();
    freeSoundLibrary(s);
    s.soundEnabled = false;
}

}  // namespace vantrel
