// Synthesised sound effects, 16-bit PCM mono WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::data {

constexpr int SAMPLE_RATE = 22050;

using Samples = std::vector<double>;  // -1..1

Samples synthGunShot();
Samples synthBulletHit();
Samples synthSmallExplosion();
Samples synthLargeExplosion();
Samples synthMenuMove();
Samples synthMenuConfirm();
Samples synthLaunch();
// Exactly one second that repeats without a seam.
Samples synthEngineLoop();

std::vector<uint8_t> encodeWav(const Samples& samples);

struct WavInfo {
    int channels = 0, sampleRate = 0, bitsPerSample = 0;
    std::vector<int16_t> samples;  // interleaved
};
// Accepts the uncompressed PCM WAV files the sound library loads; false with a reason.
bool decodeWav(const std::vector<uint8_t>& bytes, WavInfo& out, std::string& error);

}  // namespace vantrel::data
