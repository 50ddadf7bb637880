// The engine loop: one looping sample replayed at a pitch and a loudness that follow the
// level the game sends every tick. Plain sample arithmetic, run on the audio thread. Also the
// loudness and voice rules every player of the library's sounds shares (the SDL2_mixer
// library and the browser build's Web Audio one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ezds {

constexpr int LEVEL_FULL = 100;  // levels from here on play at the loudest

// Every sound of the library plays at most this factor of its own loudness (about -3 dB),
// leaving room for a few loud sounds at once before the mix saturates.
constexpr double HEADROOM = 0.7;

constexpr int ONE_SHOT_CHANNELS = 7;
constexpr int VOICES_PER_CHANNEL = 4;  // overlapping plays of one channel
constexpr int MAX_VOLUME = 100;        // a one-shot play's volume at the listener

// Loudness factor 0..HEADROOM of a one-shot play at volume 1..MAX_VOLUME; louder volumes play
// as MAX_VOLUME.
double playGain(int volume);

// Loudness factor 0..HEADROOM of a level; 0 and below are silent.
double engineGain(int level);

// Playback speed of a level, 1 being the sample's own pitch; rises with the level.
double engineRate(int level);

struct EngineLoop {
    std::vector<int16_t> samples;  // interleaved 16-bit frames in the output's layout
    int channels = 2;
    double position = 0.0;  // in frames; where the next buffer resumes
    double gain = 0.0;      // the gain the previous buffer ended with
};

// Writes frames frames of the loop at the level into out (interleaved, the loop's channel
// count). The gain glides from the previous buffer's to the level's across the buffer, so a
// level change never clicks. An empty sample writes silence.
void renderEngine(EngineLoop& loop, int16_t* out, std::size_t frames, int level);

}  // namespace ezds
