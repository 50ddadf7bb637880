#include "ezds/engine_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "wave_file.h"

using namespace ezds;
using vantrel::test::peak;
using vantrel::test::sineSamples;

namespace {

// A mono loop of a 441 Hz tone: exactly 100 samples per period.
EngineLoop toneLoop() {
    EngineLoop loop;
    loop.channels = 1;
    loop.samples = sineSamples(441.0, 0.1, 10000.0);
    return loop;
}

std::vector<int16_t> render(EngineLoop& loop, std::size_t frames, int level) {
    std::vector<int16_t> out(frames * static_cast<std::size_t>(loop.channels), 12345);
    renderEngine(loop, out.data(), frames, level);
    return out;
}

int risingZeroCrossings(const std::vector<int16_t>& s) {
    int n = 0;
    for (std::size_t i = 1; i < s.size(); ++i) n += s[i - 1] < 0 && s[i] >= 0;
    return n;
}

}  // namespace

TEST(EngineLoop, LevelZeroIsSilent) {
    EngineLoop loop = toneLoop();
    EXPECT_EQ(peak(render(loop, 2048, 0)), 0);
}

TEST(EngineLoop, FadesOutWithinOneBufferWhenTheLevelDropsToZero) {
    EngineLoop loop = toneLoop();
    render(loop, 1024, 80);
    const std::vector<int16_t> fading = render(loop, 1024, 0);
    EXPECT_GT(peak(fading), 0);
    EXPECT_LT(std::abs(fading.back()), 50);
    EXPECT_EQ(peak(render(loop, 1024, 0)), 0);
}

TEST(EngineLoop, LouderWithAHigherLevel) {
    EngineLoop quiet = toneLoop();
    EngineLoop loud = toneLoop();
    render(quiet, 1024, 62);
    render(loud, 1024, 92);
    const int quietPeak = peak(render(quiet, 4096, 62));
    const int loudPeak = peak(render(loud, 4096, 92));
    EXPECT_GT(loudPeak, quietPeak * 13 / 10);
    EXPECT_LE(loudPeak, 10000 * HEADROOM);
}

TEST(EngineLoop, PitchRisesWithTheLevel) {
    EngineLoop slow = toneLoop();
    EngineLoop fast = toneLoop();
    const int slowCrossings = risingZeroCrossings(render(slow, 44100, 62));
    const int fastCrossings = risingZeroCrossings(render(fast, 44100, 92));
    EXPECT_GT(fastCrossings, slowCrossings + 50);
    EXPECT_NEAR(slowCrossings, 441.0 * engineRate(62), 3.0);
}

TEST(EngineLoop, KeepsLoopingPastTheEndOfTheSample) {
    EngineLoop loop = toneLoop();
    render(loop, 1024, 100);
    const std::vector<int16_t> out = render(loop, 44100, 100);  // ten times the sample's length
    const std::vector<int16_t> tail(out.end() - 1000, out.end());
    EXPECT_GT(peak(tail), 9000 * HEADROOM);
}

TEST(EngineLoop, RampsInWithoutAClick) {
    EngineLoop loop = toneLoop();
    loop.position = 25.0;  // the tone's crest
    const std::vector<int16_t> out = render(loop, 1024, 100);
    EXPECT_LT(std::abs(out.front()), 100);
    EXPECT_GT(peak(out), 5000);
}

TEST(EngineLoop, FillsEveryChannelOfAFrame) {
    EngineLoop loop;
    loop.channels = 2;
    loop.samples = {1000, -1000, 2000, -2000};
    render(loop, 512, 100);
    const std::vector<int16_t> out = render(loop, 512, 100);
    for (std::size_t i = 0; i < out.size(); i += 2) {
        ASSERT_GT(out[i], 0);
        ASSERT_LT(out[i + 1], 0);
    }
}

TEST(EngineLoop, EmptySampleWritesSilence) {
    EngineLoop loop;
    EXPECT_EQ(peak(render(loop, 256, 90)), 0);
}

TEST(EngineLoop, LevelsBeyondTheScaleStayWithinIt) {
    EngineLoop loop;
    loop.channels = 1;
    loop.samples = {30000, 30000};
    render(loop, 64, 127);
    const std::vector<int16_t> loudest = render(loop, 64, 127);
    const int full = static_cast<int>(std::lround(30000 * HEADROOM));  // the loudest, not beyond
    EXPECT_EQ(*std::min_element(loudest.begin(), loudest.end()), full);
    EXPECT_EQ(peak(loudest), full);
    render(loop, 64, -5);
    EXPECT_EQ(peak(render(loop, 64, -5)), 0);
}
