// The fixed-rate scheduler: one logic tick every 30 ms and one frame every drawInterval ms,
// each run at most once per pass of the main loop and never caught up when late. Times are
// milliseconds of a clock that wraps at 2^32; all arithmetic on them is unsigned 32-bit.
// Interpolating, frames come between ticks: ticks then keep their 30 ms cadence (a tick that
// starts late does not push the next one back, as a frame waiting for the display would), and
// a scene that does not move between ticks is drawn once after each tick.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr uint32_t TICK_INTERVAL_MS = 30;
constexpr int32_t DRAW_INTERVAL_MS = 30;
constexpr uint32_t FPS_WINDOW_MS = 1000;
constexpr int FALLBACK_FRAME_RATE = 60;  // frames a second when the display cannot pace them

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
    bool interpolating = false;
    bool tickSinceFrame = false;  // a tick ran after the last frame
    bool sceneMoves = true;       // the client's answer in the latest pass
};

// What a pass drives: the clock, the logic tick and the frame. The clock is read again
// after each of them, so a slow tick delays the frame's time stamp.
class SchedulerClient {
public:
    virtual ~SchedulerClient() = default;
    virtual uint32_t now() = 0;
    virtual void runTick() = 0;
    virtual void drawFrame() = 0;
    // Whether a frame between two ticks would differ from the one after the tick.
    virtual bool sceneMovesBetweenTicks() { return true; }
};

// One pass: a due tick, then a due frame, then the FPS window.
void schedulerStep(Scheduler& s, SchedulerClient& client);

// Milliseconds the loop may wait at time now before the next tick or frame falls due;
// 0 when one is due already (and always in fast mode).
uint32_t millisecondsUntilDue(const Scheduler& s, uint32_t now);

// How far time has gone from the latest tick toward the next, 0..1; 1 in fast mode, where a
// frame always follows its tick at once.
float tickFraction(const Scheduler& s, uint32_t now);

// Milliseconds between frames: a cap of fpsCap frames a second when given (> 0); with vsync,
// just under the display's refresh period so that presenting paces the frames (a refresh rate
// of 0, unknown, counts as 60 Hz); without, the fallback rate.
int32_t frameIntervalMs(int fpsCap, bool vsync, int refreshRate);

}  // namespace vantrel
