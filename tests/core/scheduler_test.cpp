#include "game/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// A clock that only moves when told to; ticks and frames may take time of their own.
class FakeClient : public SchedulerClient {
public:
    uint32_t time = 0;
    uint32_t tickCost = 0;
    uint32_t frameCost = 0;
    int ticks = 0;
    int frames = 0;
    std::string order;

    uint32_t now() override { return time; }
    void runTick() override {
        ++ticks;
        order += 'T';
        time += tickCost;
    }
    void drawFrame() override {
        ++frames;
        order += 'F';
        time += frameCost;
    }
};

TEST(Scheduler, FirstPassRunsTickThenFrameAtTimeZero) {
    Scheduler s;
    FakeClient c;
    schedulerStep(s, c);
    EXPECT_EQ(c.order, "TF");
    schedulerStep(s, c);
    EXPECT_EQ(c.order, "TF") << "nothing is due again at the same time";
}

TEST(Scheduler, TickFallsDueThirtyMillisecondsAfterTheLastOneStarted) {
    Scheduler s;
    FakeClient c;
    schedulerStep(s, c);
    c.time = 29;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 1);
    c.time = 30;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 2);
    EXPECT_EQ(s.lastTickTime, 30u);
}

TEST(Scheduler, LateTickRunsAtOnceWithoutCatchingUp) {
    Scheduler s;
    FakeClient c;
    schedulerStep(s, c);
    c.time = 1000;  // 33 ticks missed
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 2);
    EXPECT_EQ(c.frames, 2);
    c.time = 1001;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 2) << "missed ticks are never made up";
    c.time = 1030;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 3);
}

TEST(Scheduler, SlowTickDelaysTheFrameTimeStamp) {
    Scheduler s;
    FakeClient c;
    c.tickCost = 12;
    schedulerStep(s, c);
    EXPECT_EQ(s.lastTickTime, 0u);
    EXPECT_EQ(s.lastDrawTime, 12u) << "the clock is read again after the tick";
    c.tickCost = 0;
    c.time = 30;
    schedulerStep(s, c);
    EXPECT_EQ(c.order, "TFT") << "the frame is due 30 ms after its own start, at 42";
    c.time = 42;
    schedulerStep(s, c);
    EXPECT_EQ(c.order, "TFTF");
}

TEST(Scheduler, TickLongerThanTheIntervalIsFollowedByTheNextAtOnce) {
    Scheduler s;
    FakeClient c;
    c.tickCost = 45;
    schedulerStep(s, c);
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 2);
    EXPECT_EQ(s.lastTickTime, 45u);
}

TEST(Scheduler, CountsTicksAndFramesPerSecond) {
    Scheduler s;
    FakeClient c;
    for (c.time = 0; c.time < 1000; c.time += 10) schedulerStep(s, c);
    EXPECT_EQ(s.mainFps, 0) << "no window has completed yet";
    c.time = 1000;
    schedulerStep(s, c);
    EXPECT_EQ(s.mainFps, 34);  // ticks at 0, 30, ..., 990; 1000 is only 10 ms after the last
    EXPECT_EQ(s.drawFps, 34);
    EXPECT_EQ(s.tickFrames, 0);
    EXPECT_EQ(s.lastFpsTime, 1000u);
}

TEST(Scheduler, SlowTicksShowAsALowerMainRate) {
    Scheduler s;
    FakeClient c;
    c.tickCost = 50;
    while (c.time < 2000) schedulerStep(s, c);
    EXPECT_LT(s.mainFps, 25);
    EXPECT_GT(s.mainFps, 0);
}

TEST(Scheduler, WaitsUntilTheEarlierOfTickAndFrame) {
    Scheduler s;
    FakeClient c;
    EXPECT_EQ(millisecondsUntilDue(s, 0), 0u) << "the first pass is due at once";
    c.frameCost = 7;
    schedulerStep(s, c);  // tick at 0, frame at 0 (clock read before the frame), ends at 7
    EXPECT_EQ(millisecondsUntilDue(s, 7), 23u);
    c.time = 30;
    schedulerStep(s, c);  // tick at 30, frame at 30, clock 37
    EXPECT_EQ(millisecondsUntilDue(s, 37), 23u);
    EXPECT_EQ(millisecondsUntilDue(s, 59), 1u);
    EXPECT_EQ(millisecondsUntilDue(s, 60), 0u);
    EXPECT_EQ(millisecondsUntilDue(s, 500), 0u);
}

TEST(Scheduler, DrawIntervalGovernsFramesOnly) {
    Scheduler s;
    s.drawInterval = 100;
    FakeClient c;
    for (c.time = 0; c.time <= 300; c.time += 10) schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 11);
    EXPECT_EQ(c.frames, 4);
    EXPECT_EQ(millisecondsUntilDue(s, 300), 30u) << "next tick at 330, next frame at 400";
}

TEST(Scheduler, FastModeRunsOneTickAndOneFramePerPass) {
    Scheduler s;
    s.fast = true;
    FakeClient c;
    for (int i = 0; i < 5; ++i) schedulerStep(s, c);
    EXPECT_EQ(c.order, "TFTFTFTFTF");
    EXPECT_EQ(millisecondsUntilDue(s, 0), 0u);
}

TEST(Scheduler, ClockWrapKeepsTheThirtyMillisecondStep) {
    Scheduler s;
    FakeClient c;
    c.time = 0xFFFFFFF0u;
    schedulerStep(s, c);
    c.time = 0xFFFFFFF8u;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 1) << "8 ms after the last tick, across no wrap yet";
    c.time = 0x0000000Du;  // 29 ms after the first tick, past the wrap
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 1);
    EXPECT_EQ(millisecondsUntilDue(s, c.time), 1u);
    c.time = 0x0000000Eu;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 2);
}

// A 60 Hz display with vsync: presenting waits for the next refresh, one every 1000/60 ms.
// Each frame notes the fraction of the tick it was drawn at.
class DisplayClient : public SchedulerClient {
public:
    explicit DisplayClient(const Scheduler& s) : s_(s) {}
    uint32_t time = 0;
    bool moving = true;
    int ticks = 0;
    std::vector<std::vector<float>> fractionsPerTick;  // frames drawn after each tick

    uint32_t now() override { return time; }
    void runTick() override {
        ++ticks;
        fractionsPerTick.emplace_back();
    }
    void drawFrame() override {
        if (!fractionsPerTick.empty()) fractionsPerTick.back().push_back(tickFraction(s_, time));
        uint32_t refresh = 0;
        while ((refresh = refreshes_ * 1000 / 60) <= time) ++refreshes_;
        time = refresh;
    }
    bool sceneMovesBetweenTicks() override { return moving; }

    // Passes of the main loop for ms milliseconds, sleeping as the loop does between them.
    void run(Scheduler& s, uint32_t ms) {
        while (time < ms) {
            schedulerStep(s, *this);
            time += std::max(1u, millisecondsUntilDue(s, time));
        }
    }

private:
    const Scheduler& s_;
    uint32_t refreshes_ = 0;
};

Scheduler interpolatingAt60Hz() {
    Scheduler s;
    s.interpolating = true;
    s.drawInterval = frameIntervalMs(0, true, 60);
    return s;
}

TEST(Scheduler, SixtyHertzDisplayDrawsAboutTwoFramesPerTickAtRisingFractions) {
    Scheduler s = interpolatingAt60Hz();
    DisplayClient c(s);
    c.run(s, 3000);
    EXPECT_NEAR(c.ticks, 100, 1) << "ticks keep 30 ms although frames wait for the display";
    int frames = 0;
    for (size_t t = 1; t < c.fractionsPerTick.size(); ++t) {
        const std::vector<float>& f = c.fractionsPerTick[t];
        frames += static_cast<int>(f.size());
        ASSERT_GE(f.size(), 1u) << "tick " << t;
        ASSERT_LE(f.size(), 2u) << "tick " << t;
        for (size_t i = 1; i < f.size(); ++i) EXPECT_GT(f[i], f[i - 1]) << "tick " << t;
        for (const float x : f) {
            EXPECT_GE(x, 0.0f);
            EXPECT_LE(x, 1.0f);
        }
    }
    EXPECT_NEAR(frames, 178, 4) << "sixty frames a second";
}

TEST(Scheduler, StillSceneIsDrawnOnceAfterEachTick) {
    Scheduler s = interpolatingAt60Hz();
    DisplayClient c(s);
    c.moving = false;
    c.run(s, 3000);
    EXPECT_NEAR(c.ticks, 100, 1);
    for (size_t t = 0; t < c.fractionsPerTick.size(); ++t) EXPECT_EQ(c.fractionsPerTick[t].size(), 1u) << "tick " << t;
    c.moving = true;
    c.run(s, 4000);
    EXPECT_EQ(c.fractionsPerTick.back().size(), 2u) << "a moving scene is drawn between ticks again";
}

TEST(Scheduler, InterpolatingTicksKeepTheirCadenceUnlessAWholeTickIsLost) {
    Scheduler s;
    s.interpolating = true;
    FakeClient c;
    schedulerStep(s, c);
    c.time = 38;
    schedulerStep(s, c);
    EXPECT_EQ(s.lastTickTime, 30u) << "a tick started 8 ms late counts from its due time";
    EXPECT_EQ(millisecondsUntilDue(s, 38), 22u) << "the next tick is due on the 30 ms grid";
    c.time = 60;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 3);
    c.time = 200;
    schedulerStep(s, c);
    EXPECT_EQ(c.ticks, 4) << "one tick per pass, never a burst";
    EXPECT_EQ(s.lastTickTime, 200u) << "time lost beyond a whole tick is not made up";
}

TEST(Scheduler, TickFractionRunsFromZeroToOneAndIsOneInFastMode) {
    Scheduler s;
    FakeClient c;
    c.time = 100;
    schedulerStep(s, c);
    EXPECT_EQ(tickFraction(s, 100), 0.0f);
    EXPECT_FLOAT_EQ(tickFraction(s, 115), 0.5f);
    EXPECT_EQ(tickFraction(s, 130), 1.0f);
    EXPECT_EQ(tickFraction(s, 5000), 1.0f);
    s.fast = true;
    EXPECT_EQ(tickFraction(s, 100), 1.0f);
}

TEST(Scheduler, FrameIntervalFollowsTheCapTheDisplayOrTheFallback) {
    EXPECT_EQ(frameIntervalMs(0, true, 60), 16) << "just under the refresh period: vsync paces";
    EXPECT_EQ(frameIntervalMs(0, true, 144), 6);
    EXPECT_EQ(frameIntervalMs(0, true, 0), 16) << "an unknown refresh rate counts as 60 Hz";
    EXPECT_EQ(frameIntervalMs(0, false, 144), 17) << "no vsync: at most 60 frames a second";
    EXPECT_EQ(frameIntervalMs(120, true, 60), 9) << "a cap never goes over its rate";
    EXPECT_EQ(frameIntervalMs(30, false, 0), 34);
    EXPECT_EQ(frameIntervalMs(1000, false, 0), 1);
}

}  // namespace
}  // namespace vantrel
