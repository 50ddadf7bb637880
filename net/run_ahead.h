// The screen's World while the relay's next tick is late. Over TCP one lost segment holds back
// every tick behind it until it is sent again (200 ms or more), and lockstep alone would freeze
// the screen that long. Instead the screen runs ahead on a copy of the last World the relay's
// ticks made, at the relay's pace: the player's own aircraft on the keys already sent for
// those ticks, every other human's on the keys they last held. The guess never touches the
// match's World: the relay's ticks, when they come, run on it as always and the guess gives
// way to it. The keys the player presses meanwhile still go to the relay on time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "net/lockstep_client.h"

namespace vantrel::net {

class RunAhead {
public:
    // A guessed tick stands in for the relay's once that is this late.
    static constexpr uint32_t GRACE_MS = TICK_MS / 2;
    // Beyond this the guess waits: a connection that quiet is more than a lost segment.
    static constexpr uint32_t MOST_TICKS_AHEAD = 12;

    // Called for every guessed tick run, with the World after it.
    using OnTick = std::function<void(const World& after, uint32_t tick)>;

    // Once a pass of the game loop, after the ready ticks ran on confirmed: runs the next
    // guessed tick when it is due, and sends keys (the player's keys for the tick after the
    // guessed one) as running that tick on time would have. Drops the guess once the relay's
    // ticks have caught up with it.
    void update(LockstepClient& client, const World& confirmed, const uint8_t keys[256], uint32_t nowMs,
                const OnTick& onTick = {});

    bool active() const { return guess_ != nullptr; }
    // The guessed World and the one a tick before it, for drawing between them; only while active.
    const World& world() const { return *guess_; }
    const World& previous() const { return *previous_; }
    // The tick the screen shows: the guess's, else the relay's last.
    uint32_t shownTick(const LockstepClient& client) const { return active() ? guessTick_ : client.lastTick(); }

private:
    void drop() {
        guess_.reset();
        previous_.reset();
    }
    void runGuessedTick(LockstepClient& client, const uint8_t keys[256], const OnTick& onTick);

    std::unique_ptr<World> guess_, previous_;
    uint32_t guessTick_ = 0;  // the last tick the guess ran
    uint32_t guessFrom_ = 0;  // the relay's tick the guess started from
    uint32_t lastShown_ = 0;
    uint32_t shownAtMs_ = 0;  // when the screen's tick last moved on
};

}  // namespace vantrel::net
