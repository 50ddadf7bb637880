#include "game/scheduler.h"

#include <algorithm>

namespace vantrel {

namespace {

// Measured as elapsed time, so the clock's wrap after 49.7 days neither stalls the game nor
// makes every pass due (comparing now with last + interval would, for one interval).
bool isDue(uint32_t now, uint32_t last, uint32_t interval) { return now - last >= interval; }

uint32_t untilDue(uint32_t now, uint32_t last, uint32_t interval) {
    return isDue(now, last, interval) ? 0 : interval - (now - last);
}

bool tickDue(const Scheduler& s, uint32_t now) {
    return s.fast || !s.started || isDue(now, s.lastTickTime, TICK_INTERVAL_MS);
}

bool waitsForTick(const Scheduler& s) { return s.interpolating && !s.sceneMoves; }

bool frameDue(const Scheduler& s, uint32_t now) {
    if (s.fast || !s.started) return true;
    if (waitsForTick(s)) return s.tickSinceFrame;
    return isDue(now, s.lastDrawTime, static_cast<uint32_t>(s.drawInterval));
}

// The time the tick that is due now counts from: its place in the 30 ms cadence when
// interpolating, unless the loop fell a whole tick behind (time lost then is not made up).
uint32_t tickStart(const Scheduler& s, uint32_t now) {
    if (!s.interpolating || !s.started) return now;
    const uint32_t scheduled = s.lastTickTime + TICK_INTERVAL_MS;
    return isDue(now, scheduled, TICK_INTERVAL_MS) ? now : scheduled;
}

uint32_t ceilDiv(uint32_t a, uint32_t b) { return (a + b - 1) / b; }

}  // namespace

void schedulerStep(Scheduler& s, SchedulerClient& client) {
    uint32_t now = client.now();
    if (tickDue(s, now)) {
        s.lastTickTime = tickStart(s, now);
        ++s.tickFrames;
        client.runTick();
        s.tickSinceFrame = true;
        now = client.now();
    }
    s.sceneMoves = client.sceneMovesBetweenTicks();
    if (frameDue(s, now)) {
        s.lastDrawTime = now;
        ++s.drawFrames;
        s.tickSinceFrame = false;
        client.drawFrame();
        now = client.now();
    }
    s.started = true;
    if (isDue(now, s.lastFpsTime, FPS_WINDOW_MS)) {
        s.mainFps = s.tickFrames;
        s.drawFps = s.drawFrames;
        s.tickFrames = 0;
        s.drawFrames = 0;
        s.lastFpsTime = now;
    }
}

uint32_t millisecondsUntilDue(const Scheduler& s, uint32_t now) {
    if (s.fast || !s.started) return 0;
    const uint32_t untilTick = untilDue(now, s.lastTickTime, TICK_INTERVAL_MS);
    if (waitsForTick(s)) return s.tickSinceFrame ? 0 : untilTick;
    return std::min(untilTick, untilDue(now, s.lastDrawTime, static_cast<uint32_t>(s.drawInterval)));
}

float tickFraction(const Scheduler& s, uint32_t now) {
    if (s.fast) return 1.0f;
    const uint32_t since = now - s.lastTickTime;
    return since >= TICK_INTERVAL_MS ? 1.0f : static_cast<float>(since) / static_cast<float>(TICK_INTERVAL_MS);
}

int32_t frameIntervalMs(int fpsCap, bool vsync, int refreshRate) {
    constexpr uint32_t SECOND_MS = 1000;
    if (fpsCap > 0) return static_cast<int32_t>(ceilDiv(SECOND_MS, static_cast<uint32_t>(fpsCap)));
    if (vsync)
        return static_cast<int32_t>(SECOND_MS /
                                    static_cast<uint32_t>(refreshRate > 0 ? refreshRate : FALLBACK_FRAME_RATE));
    return static_cast<int32_t>(ceilDiv(SECOND_MS, FALLBACK_FRAME_RATE));
}

}  // namespace vantrel
