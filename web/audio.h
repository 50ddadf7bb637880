// The game's sound library in the browser build: the seven operations on Web Audio
// (web/audio.js). The rules are the SDL2_mixer library's: seven one-shot channels of a few
// voices each, its loudness mapping, the engine loop's pitch and loudness following the level.
#pragma once

#include <string>

#include "sound/sound.h"

namespace vantrel::web {

// The seven entry points, for Sound::lib.
SoundLibrary webAudioLibrary();

// Binds the Web Audio library and starts sound as the desktop's startSound does: with sound
// on, opens the output (sound stays off, with one console warning, when the browser has
// none) and loads the channel sounds and the engine loop from dataDir.
void startWebAudio(Sound& s, const std::string& dataDir);

}  // namespace vantrel::web
