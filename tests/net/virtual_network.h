// An in-process network with a virtual clock for the relay and its clients: seeded delay,
// jitter and loss on each connection, modelled on TCP (a lost segment holds back that message
// and every later one on its connection by a retransmission time; connections reorder among
// themselves freely), and the ways a connection ends: a close, a killed client, a cut cable.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "net/link.h"
#include "net/lockstep_client.h"
#include "net/relay.h"
#include "net/run_ahead.h"

namespace vantrel::net::test {

struct Conditions {
    uint32_t oneWayMs = 1;
    uint32_t jitterMs = 0;  // added to each message, 0..jitterMs
    double loss = 0;        // the chance a message's segment is lost once
    uint32_t retransmitMs = 200;
};

class VirtualNetwork;

class VirtualLink final : public MessageLink {
public:
    VirtualLink(VirtualNetwork& net, ConnectionId id) : net_(net), id_(id) {}
    void poll() override {}
    State state() const override { return state_; }
    std::string closeReason() const override { return reason_; }
    void send(Bytes message) override;
    bool receive(Bytes& message) override;
    void close() override;
    ConnectionId id() const { return id_; }

private:
    friend class VirtualNetwork;
    VirtualNetwork& net_;
    ConnectionId id_;
    State state_ = State::Connecting;
    std::string reason_;
    std::deque<Bytes> inbox_;
};

class VirtualNetwork {
public:
    VirtualNetwork(Relay& relay, uint64_t seed) : relay_(relay), random_(seed) {}

    // A client's end of a new connection to the relay on the path of code.
    VirtualLink& connect(const std::string& code, const Conditions& conditions);
    // The client dies: the relay sees the connection close one way later; nothing more arrives.
    void kill(VirtualLink& link);
    // Nothing more passes either way; both ends are told noticeMs later, as a TCP stack would.
    void cut(VirtualLink& link, uint32_t noticeMs);

    // A lost segment on the way to the client: what the relay sends it for the next ms, and
    // what is under way, arrives ms from now, in order.
    void holdDown(VirtualLink& link, uint32_t ms);
    // The same on the way to the relay.
    void holdUp(VirtualLink& link, uint32_t ms);
    // From now on the connection's messages travel under other conditions.
    void setConditions(VirtualLink& link, const Conditions& c) { connections_.at(link.id()).conditions = c; }
    // Moves the clock to nowMs: delivers what is due, lets the relay run (unless frozen).
    void step(uint32_t nowMs);
    uint32_t now() const { return now_; }
    // Holds the relay's clock still, so clients can catch up with the last tick it ran.
    void freezeRelay(bool frozen) { relayFrozen_ = frozen; }
    bool quiet() const;

    // Message bytes (WebSocket payloads) carried each way on a connection so far.
    uint64_t bytesUp(const VirtualLink& link) const { return connections_.at(link.id()).bytesUp; }
    uint64_t bytesDown(const VirtualLink& link) const { return connections_.at(link.id()).bytesDown; }

private:
    friend class VirtualLink;
    struct Packet {
        uint32_t at;
        Bytes bytes;
        bool close;
    };
    struct Connection {
        Conditions conditions;
        std::unique_ptr<VirtualLink> link;
        std::string code;
        uint32_t openAt = 0;
        bool openedAtRelay = false;
        bool cut = false;
        bool relayDone = false;  // the relay was told it closed
        uint32_t relayClosedAt = 0;
        bool relayClosePending = false;
        uint32_t clientClosedAt = 0;
        bool clientClosePending = false;
        std::deque<Packet> up, down;
        uint32_t lastUp = 0, lastDown = 0;
        uint64_t bytesUp = 0, bytesDown = 0;
    };

    uint32_t arrival(Connection& c, uint32_t& last);
    void hold(std::deque<Packet>& queue, uint32_t& last, uint32_t ms) const;
    void fromClient(ConnectionId id, Bytes message, bool close);
    void routeRelayOutput();
    void tellRelayClosed(ConnectionId id, Connection& c);

    Relay& relay_;
    std::mt19937_64 random_;
    std::map<ConnectionId, Connection> connections_;
    ConnectionId nextId_ = 1;
    uint32_t now_ = 0;
    bool relayFrozen_ = false;
};

// A relay reading the build's data directory, with seeded codes, tokens and seeds.
std::unique_ptr<Relay> makeTestRelay(uint64_t seed, RelayConfig overrides = {});
// A hello from this build: its version and data files, the name, hosting or not.
Hello testHello(const std::string& name, bool host, uint64_t rejoinToken = 0);

// A client program: its connection, lockstep logic, World and a pilot pressing random keys.
struct Player {
    VirtualLink* link = nullptr;
    std::unique_ptr<LockstepClient> client;
    std::unique_ptr<World> world;
    std::mt19937 keyRandom;
    uint8_t keys[256] = {};
    bool steady = false;  // holds its keys
    bool running = true;  // false once killed: the program is gone
    struct Moment {
        uint32_t ms;
        bool missionBegan;  // the first of a mission, after the lobby's wait
    };
    std::vector<Moment> tickTimes;  // when each of the relay's ticks ran
    RunAhead ahead;
    uint32_t shownTick = 0;
    struct {
        bool forTicks = true, forScreen = true;
    } missionBegins;                 // the next tick or screen is a mission's first
    std::vector<Moment> shownTimes;  // when the tick on the screen moved on
    // With keepHashes: the World hash after each tick, the relay's and the guessed.
    bool keepHashes = false;
    std::map<uint32_t, uint64_t> confirmedHashes, guessedHashes;
    std::vector<Notice> notices;
    std::vector<DesyncReport> reports;

    // Reads the network and runs every tick whose keys are here, then a guessed one when the
    // relay's is late, as a game loop pass does.
    void pass(uint32_t nowMs);
};

// The relay, its network and its players, stepped one millisecond at a time.
class Table {
public:
    explicit Table(uint64_t seed, RelayConfig overrides = {});
    Player& host(const std::string& name, const Conditions& c = {});
    Player& join(const std::string& name, const Conditions& c = {}, uint64_t rejoinToken = 0);
    void run(uint32_t ms);
    // Runs until the condition holds or ms pass; true when it held.
    template <class Condition>
    bool runUntil(Condition done, uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            if (done()) return true;
            run(1);
        }
        return done();
    }
    // Holds the relay still while every live client runs what it was sent.
    void settle();
    void kill(Player& p);

    std::unique_ptr<Relay> relay;
    VirtualNetwork net;
    std::deque<Player> players;
    std::string code;

private:
    Player& add(Hello hello, const std::string& code, const Conditions& c);
    uint64_t seed_;
};

}  // namespace vantrel::net::test
