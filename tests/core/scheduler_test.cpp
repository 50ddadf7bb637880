#include "game/scheduler.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace vantrel
