// Binding the sound library (libezds.so beside the executable) and the start-up and
// shutdown sound steps. A missing library, a missing entry point or a failed DSinit leaves
// sound off, silently; the game runs on unchanged.
#pragma once

#include <string>

#include "sound/sound.h"

namespace vantrel {

// Sound files of the one-shot channels, in channel order, and of the engine loop; they sit
// in the data directory.
constexpr const char* CHANNEL_FILES[] = {"bang.wav", "hit.wav",  "bom1.wav", "bom2.wav",
                                         "pu.wav",   "puun.wav", "syu.wav"};
constexpr const char* ENGINE_FILE = "engine.wav";

// Loads the library from libraryPath and looks up the seven entry points by the names g++
// gives them. Returns true when bound, false otherwise (then nothing stays loaded and the
// table stays empty).
bool bindSoundLibrary(Sound& s, const std::string& libraryPath);

// Unloads the library and empties the table; safe when nothing is bound.
void freeSoundLibrary(Sound& s);

// Start-up: if soundEnabled, bind, then DSinit(window); then, still enabled, load the
// seven channel sounds and the engine loop from dataDir. A DSinit of 0 turns sound off and
// keeps the library loaded until the process ends.
void startSound(Sound& s, HWND__* window, const std::string& libraryPath, const std::string& dataDir);

// Start-up of a library already in the table (the browser build's, linked in): if
// soundEnabled, DSinit(window), then as startSound.
void startBoundSound(Sound& s, HWND__* window, const std::string& dataDir);

// Shutdown: if soundEnabled, DSend, then unload. Sound is off afterwards.
void stopSound(Sound& s);

}  // namespace vantrel
