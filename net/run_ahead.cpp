#include "net/run_ahead.h"

namespace vantrel::net {

void RunAhead::update(LockstepClient& client, const World& confirmed, const uint8_t keys[256], uint32_t nowMs,
                      const OnTick& onTick) {
    const uint32_t relayTick = client.lastTick();
    if (!client.mayRunAhead() || (active() && guessTick_ <= relayTick)) drop();
    if (shownTick(client) != lastShown_) {
        lastShown_ = shownTick(client);
        shownAtMs_ = nowMs;
    }
    if (!client.mayRunAhead()) return;
    // Some of the relay's ticks came, not all the guess ran: the guess goes on from them.
    if (active() && guessFrom_ != relayTick) {
        const uint32_t upTo = guessTick_;
        *guess_ = confirmed;
        guessTick_ = guessFrom_ = relayTick;
        while (guessTick_ < upTo) runGuessedTick(client, keys, {});
    }
    const uint32_t ahead = active() ? guessTick_ - relayTick : 0;
    const World& shown = active() ? *guess_ : confirmed;
    if (ahead >= MOST_TICKS_AHEAD || matchEnded(shown)) return;
    // The screen keeps the relay's pace: a tick on from the last one shown, and the first
    // guess only once the relay's tick is late by more than a jittery delivery would make it.
    if (nowMs - shownAtMs_ < TICK_MS + (active() ? 0 : GRACE_MS)) return;
    if (!active()) {
        guess_ = std::make_unique<World>(confirmed);
        previous_ = std::make_unique<World>();
        guessTick_ = guessFrom_ = relayTick;
    }
    runGuessedTick(client, keys, onTick);
    lastShown_ = guessTick_;
    shownAtMs_ = nowMs;
}

void RunAhead::runGuessedTick(LockstepClient& client, const uint8_t keys[256], const OnTick& onTick) {
    *previous_ = *guess_;
    ++guessTick_;
    runLockstepTick(*guess_, client.guessedTick(guessTick_));
    client.sendKeysAfterGuess(guessTick_, keys);
    if (onTick) onTick(*guess_, guessTick_);
}

}  // namespace vantrel::net
