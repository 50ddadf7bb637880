// Test sounds written as 16-bit mono .wav files, and reading back what SDL's disk audio
// driver wrote (raw 16-bit samples).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vantrel::test {

constexpr int TEST_RATE = 44100;

inline void putLE(std::ofstream& f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void writeWave(const std::string& path, const std::vector<int16_t>& samples) {
    std::ofstream f(path, std::ios::binary);
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    putLE(f, 36 + dataBytes, 4);
    f.write("WAVEfmt ", 8);
    putLE(f, 16, 4);
    putLE(f, 1, 2);  // PCM
    putLE(f, 1, 2);  // mono
    putLE(f, TEST_RATE, 4);
    putLE(f, TEST_RATE * 2, 4);
    putLE(f, 2, 2);
    putLE(f, 16, 2);
    f.write("data", 4);
    putLE(f, dataBytes, 4);
    for (int16_t s : samples) putLE(f, static_cast<uint16_t>(s), 2);
}

inline std::vector<int16_t> sineSamples(double hertz, double seconds, double amplitude) {
    std::vector<int16_t> out(static_cast<std::size_t>(seconds * TEST_RATE));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * M_PI * hertz * static_cast<double>(i) / TEST_RATE)));
    }
    return out;
}

// The whole of a raw file of 16-bit samples, as the disk audio driver writes it.
inline std::vector<int16_t> readRaw(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

inline int peak(const std::vector<int16_t>& samples) {
    int p = 0;
    for (int16_t s : samples) p = std::max(p, std::abs(static_cast<int>(s)));
    return p;
}

}  // namespace vantrel::test
