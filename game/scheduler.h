// The fixed-rate scheduler: one logic tick every 30 ms and one frame every drawInterval ms,
// each run at most once per pass of the main loop and never caught up when late. Times are
// milliseconds of a clock that wraps at 2^32; all arithmetic on them is unsigned 32-bit.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr uint32_t TICK_INTERVAL_MS = 30;
constexpr int32_t DRAW_INTERVAL_MS = 30;
constexpr uint32_t FPS_WINDOW_MS = 1000;

struct Scheduler {
    uint32_t lastTickTime = 0;  // start of the last logic tick
    uint32_t lastDrawTime = 0;  // start of the last frame
    uint32_t lastFpsTime = 0;   // start of the current one-second counting window
    int32_t tickFrames = 0;     // ticks and frames counted in the current window
    int32_t drawFrames = 0;
    int32_t mainFps = 0;  // the counts of the last completed window
    int32_t drawFps = 0;
    int32_t drawInterval = DRAW_INTERVAL_MS;
    bool started = false;  // the first pass runs a tick and a frame whatever the clock says
    bool fast = false;     // every pass runs a tick and a frame (replays, tests, benchmarks)
};

// What a pass drives: the clock, the logic tick and the frame. The clock is read again
// after each of them, so a slow tick delays the frame's time stamp.
class SchedulerClient {
public:
    virtual ~SchedulerClient() = default;
    virtual uint32_t now() = 0;
    virtual void runTick() = 0;
    virtual void drawFrame() = 0;
};

// One pass: a due tick, then a due frame, then the FPS window.
void schedulerStep(Scheduler& s, SchedulerClient& client);

// Milliseconds the loop may wait at time now before the next tick or frame falls due;
// 0 when one is due already (and always in fast mode).
uint32_t millisecondsUntilDue(const Scheduler& s, uint32_t now);

}  // namespace vantrel
