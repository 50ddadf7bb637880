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

bool frameDue(const Scheduler& s, uint32_t now) {
    return s.fast || !s.started ||
           isDue(now, s.lastDrawTime, static_cast<uint32_t>(s.drawInterval));
}

}  // namespace

void schedulerStep(Scheduler& s, SchedulerClient& client) {
    uint32_t now = client.now();
    if (tickDue(s, now)) {
        s.lastTickTime = now;
        ++s.tickFrames;
        client.runTick();
        now = client.now();
    }
    if (frameDue(s, now)) {
        s.lastDrawTime = now;
        ++s.drawFrames;
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
    return std::min(untilDue(now, s.lastTickTime, TICK_INTERVAL_MS),
                    untilDue(now, s.lastDrawTime, static_cast<uint32_t>(s.drawInterval)));
}

}  // namespace vantrel
