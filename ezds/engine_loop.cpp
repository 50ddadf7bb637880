#include "ezds/engine_loop.h"

#include <algorithm>
#include <cmath>

namespace ezds {

namespace {

// Pitch at level 0 and its rise per level step: the game's 62..92 span about 1.03..1.24.
constexpr double RATE_AT_ZERO = 0.6;
constexpr double RATE_PER_LEVEL = 0.007;

int clampLevel(int level) { return std::clamp(level, 0, LEVEL_FULL); }

int16_t toSample(double v) { return static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0))); }

}  // namespace

double playGain(int volume) { return HEADROOM * std::min(volume, MAX_VOLUME) / MAX_VOLUME; }

double engineGain(int level) { return HEADROOM * clampLevel(level) / LEVEL_FULL; }

double engineRate(int level) { return RATE_AT_ZERO + RATE_PER_LEVEL * clampLevel(level); }

void renderEngine(EngineLoop& loop, int16_t* out, std::size_t frames, int level) {
    const std::size_t channels = static_cast<std::size_t>(std::max(loop.channels, 1));
    const std::size_t length = loop.samples.size() / channels;
    const double target = engineGain(level);
    if (length == 0 || (target == 0.0 && loop.gain == 0.0)) {
        std::fill(out, out + frames * channels, int16_t{0});
        loop.gain = target;
        return;
    }
    const double rate = engineRate(level);
    const double start = loop.gain;
    loop.position = std::fmod(loop.position, static_cast<double>(length));
    for (std::size_t i = 0; i < frames; ++i) {
        const double gain = start + (target - start) * static_cast<double>(i + 1) / static_cast<double>(frames);
        const auto here = static_cast<std::size_t>(loop.position);
        const std::size_t next = (here + 1) % length;
        const double blend = loop.position - static_cast<double>(here);
        for (std::size_t c = 0; c < channels; ++c) {
            const double a = loop.samples[here * channels + c];
            const double b = loop.samples[next * channels + c];
            out[i * channels + c] = toSample((a + (b - a) * blend) * gain);
        }
        loop.position = std::fmod(loop.position + rate, static_cast<double>(length));
    }
    loop.gain = target;
}

}  // namespace ezds
