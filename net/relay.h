// The relay's logic, without sockets: it keeps the matches, their lobbies and their Worlds,
// decides every human's keys for every tick, checks the clients' World hashes and repairs a
// client that went astray. A transport (relay/ on WebSockets, the tests' in-process network)
// feeds it connections, messages and the clock, and carries out what it queues.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "net/join_code.h"
#include "net/lockstep.h"
#include "net/messages.h"

namespace vantrel::net {

using ConnectionId = uint64_t;

struct RelayConfig {
    std::string dataDir;
    std::string gameVersion;
    std::vector<DataFileHash> dataFiles;  // the relay's own, which every client must match
    RandomSource random;                  // join codes, tokens and mission seeds
    int maxMatches = 500;
    int maxConnections = 2000;
    int maxConnectionsPerAddress = 64;
    int messagesPerSecond = 120;        // per connection, on average; bursts of twice as many pass
    int connectsPerMinute = 30;         // new connections from one address; a minute's worth at once
    uint32_t idleMatchMs = 15 * 60000;  // a match where nobody did anything but answer pings closes
    uint32_t helloTimeoutMs = 5000;
    uint32_t silenceMs = 1000;         // a flying player this long silent loses the slot
    uint32_t rejoinWindowMs = 120000;  // a player's place is kept this long after a drop
    uint32_t pingIntervalMs = 500;
};

// One message for a connection; close: close it once the message is sent.
struct Outgoing {
    ConnectionId to;
    Bytes message;
    bool close = false;
};

// What the relay learnt from its missions' ends, for benchmarks and logs.
struct RelayCounters {
    uint64_t ticksRun = 0;
    uint64_t lateInputs = 0;
    uint64_t delayRaises = 0;
    uint64_t desyncs = 0;
    uint64_t refusals = 0;
};

// A match as the relay runs it, for the host's own screen, tests and benchmarks.
struct MatchStatus {
    bool running;
    int mission;
    int players;    // connected
    uint32_t tick;  // the last tick run
    uint64_t worldHash;
    int inputDelay;
};

class Relay {
public:
    // False, with the reason, when the data directory's missions cannot be read.
    static std::unique_ptr<Relay> create(RelayConfig config, std::string& error);
    ~Relay();

    // A connection opened on the WebSocket path of code ("" for none); peer is its address.
    void open(ConnectionId id, const std::string& peer, const std::string& code, uint32_t nowMs);
    void receive(ConnectionId id, const uint8_t* data, std::size_t size, uint32_t nowMs);
    // The transport lost or closed the connection; nothing more is sent to it.
    void closed(ConnectionId id, uint32_t nowMs);
    // Opens a match under a newly drawn code before anyone connects, so the code can be passed
    // on first; the first player to join it hosts. It closes like any other when idle.
    std::string openMatch(uint32_t nowMs);
    // Runs the ticks that are due, pings, and the time limits.
    void advance(uint32_t nowMs);
    // Milliseconds until advance has work again (at most the ping interval).
    uint32_t msUntilDue(uint32_t nowMs) const;

    std::vector<Outgoing> takeOutgoing();
    // One line for each match start and end, for the program's standard error.
    std::vector<std::string> takeLogLines();
    std::vector<DesyncReport> takeDesyncReports();

    std::optional<MatchStatus> matchStatus(const std::string& code) const;
    std::size_t matchCount() const;
    std::size_t connectionCount() const;
    const RelayCounters& counters() const;

private:
    struct State;
    explicit Relay(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace vantrel::net
