// Binding the sound library (libezds.so beside the executable) and the start-up and
// shutdown sound steps. A missing library, a missing entry point or a failed DSinit leaves
// sound off, silently; the game runs on unchanged.
#pragma once

#include <string>

#include "sound/sound.h"

namespace vantrel {

// Loads the library from libraryPath and looks up the seven entry points by their
// decorated names. Returns 1 when bound, 0 otherwise (the table stays empty).
int bindSoundLibrary(Sound& s, const std::string& libraryPath);
void freeSoundLibrary(Sound& s);

// Start-up: if soundEnabled, bind, then DSinit(window); then, still enabled, load the
// seven channel sounds and the engine loop from dataDir.
void startSound(Sound& s, HWND__* window, const std::string& libraryPath, const std::string& dataDir);

// Shutdown: if soundEnabled, DSend, then unload.
void stopSound(Sound& s);

}  // namespace vantrel
