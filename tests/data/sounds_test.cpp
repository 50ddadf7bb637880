// The sound effects: levels, lengths, clean starts and ends, and a seamless engine loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "generated.h"
#include "tools/vantrel-data/sounds.h"

namespace vantrel::data::test {
namespace {

WavInfo decoded(const std::string& name) {
    WavInfo wav;
    std::string error;
    EXPECT_TRUE(decodeWav(generatedFile(name), wav, error)) << name << ": " << error;
    return wav;
}

int peak(const WavInfo& w) {
    int m = 0;
    for (int16_t s : w.samples) m = std::max(m, std::abs(static_cast<int>(s)));
    return m;
}

double seconds(const WavInfo& w) { return static_cast<double>(w.samples.size()) / w.sampleRate; }

const char* const ALL_SOUNDS[] = {"bang.wav", "hit.wav",  "bom1.wav", "bom2.wav",
                                  "pu.wav",   "puun.wav", "syu.wav",  "engine.wav"};
const char* const ONE_SHOTS[] = {"bang.wav", "hit.wav", "bom1.wav", "bom2.wav", "pu.wav", "puun.wav", "syu.wav"};

TEST(Sounds, AreSixteenBitAudibleAndNeverClip) {
    for (const char* name : ALL_SOUNDS) {
        const WavInfo w = decoded(name);
        EXPECT_EQ(w.bitsPerSample, 16) << name;
        EXPECT_LT(peak(w), 32500) << name << " clips";
        EXPECT_GT(peak(w), 32767 / 3) << name << " is too quiet";
    }
}

TEST(Sounds, OneShotsStartAndEndWithoutAClick) {
    for (const char* name : ONE_SHOTS) {
        const WavInfo w = decoded(name);
        EXPECT_LT(std::abs(w.samples.front()), 300) << name;
        EXPECT_LT(std::abs(w.samples.back()), 300) << name;
    }
}

TEST(Sounds, LengthsSuitTheirEvents) {
    EXPECT_LT(seconds(decoded("bang.wav")), 0.3) << "the gun fires every few ticks";
    EXPECT_LT(seconds(decoded("pu.wav")), 0.2);
    EXPECT_GT(seconds(decoded("bom2.wav")), seconds(decoded("bom1.wav")));
    EXPECT_GT(seconds(decoded("bom2.wav")), 1.0);
}

TEST(Sounds, EngineLoopRunsOnWithoutASeam) {
    const WavInfo w = decoded("engine.wav");
    ASSERT_GT(w.samples.size(), 1000u);
    double meanStep = 0, largestStep = 0;
    for (size_t i = 1; i < w.samples.size(); ++i) {
        const double step = std::abs(w.samples[i] - w.samples[i - 1]);
        meanStep += step;
        largestStep = std::max(largestStep, step);
    }
    meanStep /= static_cast<double>(w.samples.size() - 1);
    const double wrap = std::abs(w.samples.front() - w.samples.back());
    EXPECT_LT(wrap, 3.0 * meanStep);
    EXPECT_LE(wrap, largestStep);
    // A steady tone: every tenth of it carries about the same energy.
    const size_t tenth = w.samples.size() / 10;
    double lo = 1e18, hi = 0;
    for (size_t k = 0; k < 10; ++k) {
        double energy = 0;
        for (size_t i = k * tenth; i < (k + 1) * tenth; ++i) energy += static_cast<double>(w.samples[i]) * w.samples[i];
        lo = std::min(lo, energy);
        hi = std::max(hi, energy);
    }
    EXPECT_LT(hi / lo, 2.5);
}

TEST(WavFormat, RoundTripKeepsTheSamples) {
    const Samples s = {0.0, 0.5, -0.5, 1.0, -1.0, 0.25};
    WavInfo w;
    std::string error;
    ASSERT_TRUE(decodeWav(encodeWav(s), w, error)) << error;
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.sampleRate, SAMPLE_RATE);
    ASSERT_EQ(w.samples.size(), s.size());
    for (size_t i = 0; i < s.size(); ++i) EXPECT_NEAR(w.samples[i] / 32767.0, s[i], 1e-4);
}

TEST(WavFormat, SkipsUnknownChunks) {
    std::vector<uint8_t> bytes = encodeWav({0.1, 0.2});
    const std::vector<uint8_t> extra = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 36, extra.begin(), extra.end());
    WavInfo w;
    std::string error;
    ASSERT_TRUE(decodeWav(bytes, w, error)) << error;
    EXPECT_EQ(w.samples.size(), 2u);
}

}  // namespace
}  // namespace vantrel::data::test
