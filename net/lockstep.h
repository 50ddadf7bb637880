// What the relay and every client share about running a network mission, so their Worlds
// stay the same byte for byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/match.h"
#include "net/messages.h"

namespace vantrel::net {

constexpr uint32_t TICK_MS = 30;
// Every client reports its World hash after each tick that is a multiple of this.
constexpr uint32_t HASH_INTERVAL_TICKS = 2;

inline bool isHashTick(uint32_t tick) { return tick % HASH_INTERVAL_TICKS == 0; }

// The hash the clients and the relay compare: of every byte of the World, like hashWorld, but
// made by a library for speed, since a relay makes one for each of its matches every few ticks.
uint64_t matchHash(const World& w);

// Roster changes, then one match tick on the flying seats' keys.
void runLockstepTick(World& w, const Tick& tick);

// A network mission as it was flown, enough to replay it with the match API: the start, then
// every tick's roster changes and flying seats' keys, packed tight (a relay keeps one for each
// match it carries). Ticks are numbered as on the wire, from firstTick.
class MatchRecording {
public:
    struct RecordedChange {
        uint32_t tick;
        RosterChange change;
    };

    MatchRecording() = default;
    explicit MatchRecording(const Start& start) : start_(start) {}

    const Start& start() const { return start_; }
    // The next tick in order; ticks must follow one another from start().firstTick.
    void append(const Tick& t);
    uint32_t tickCount() const { return static_cast<uint32_t>(flying_.size()); }
    uint32_t lastTick() const { return start_.firstTick + tickCount() - 1; }

    // Calls visit with every tick in order, as it was sent.
    template <class Visit>
    void forEachTick(Visit&& visit) const;

private:
    Start start_{};
    std::vector<uint16_t> flying_;         // per tick
    std::vector<SeatKeys> keys_;           // the flying seats' keys, tick after tick
    std::vector<RecordedChange> changes_;  // in tick order
};

// Starts the recorded mission in w and runs it up to and including tick (firstTick - 1:
// not at all). False, with the reason, when the mission's data cannot be read.
bool replayRecording(World& w, const std::string& dataDir, const MatchRecording& recording, uint32_t tick,
                     std::string& error);

MatchSetup matchSetupOf(const Start& start);

// A recording as text, for desync reports and replays:
//   seed 1234 / mission 3 / first-tick 18 / delay 2 / seat 0 slot 5 ...   (one a line)
//   18 0:0101 1:0000        a tick: each flying seat's keys in hex
//   25 +2>7 -1 0:0101 ...   roster changes first: seat 2 takes slot 7, the computer flies seat 1's
std::string recordingText(const MatchRecording& recording);
constexpr const char* RECORDING_FIRST_LINE = "# vantrel network match recording";
// False with the line and what is wrong in it.
bool parseRecordingText(const std::string& text, MatchRecording& out, std::string& error);

template <class Visit>
void MatchRecording::forEachTick(Visit&& visit) const {
    std::size_t key = 0, change = 0;
    for (uint32_t i = 0; i < tickCount(); ++i) {
        Tick t{};
        t.tick = start_.firstTick + i;
        t.flying = flying_[i];
        for (int seat = 0; seat < MAX_SEATS; ++seat)
            if (t.flying & (1u << seat)) t.keys[seat] = keys_[key++];
        while (change < changes_.size() && changes_[change].tick == t.tick)
            t.roster.push_back(changes_[change++].change);
        visit(t);
    }
}

// A desync as one side saw it, for the program to write: the report names the tick, both
// hashes, this side's World at the last agreeing tick and the mission recording.
struct DesyncReport {
    std::string code;
    int seat;
    Desync desync;
    std::shared_ptr<const World> agreedWorld;  // null: the writer replays the recording to get it
    std::shared_ptr<const MatchRecording> recording;
};

}  // namespace vantrel::net
