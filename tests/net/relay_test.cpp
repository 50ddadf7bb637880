// The relay's lobby and its defences: what players may do before a mission, and every kind of
// bad input refused with a reason while the others fly on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "virtual_network.h"

namespace vantrel::net::test {
namespace {

// Everything a raw connection received, decoded.
std::vector<RelayMessage> received(VirtualLink& link) {
    std::vector<RelayMessage> out;
    Bytes bytes;
    while (link.receive(bytes)) {
        RelayMessage m;
        std::string error;
        EXPECT_TRUE(decodeRelayMessage(bytes.data(), bytes.size(), m, error)) << error;
        out.push_back(std::move(m));
    }
    return out;
}

std::optional<Refusal> refusalIn(const std::vector<RelayMessage>& messages) {
    for (const RelayMessage& m : messages)
        if (const Refusal* r = std::get_if<Refusal>(&m)) return *r;
    return std::nullopt;
}

Bytes helloBytes(const std::string& name, bool host) { return encodeClientMessage(testHello(name, host)); }

TEST(RelayLobby, HostPicksAndStartsPlayersChooseSidesWhereThereIsRoom) {
    Table t(21);
    Player& host = t.host("ann");
    ASSERT_EQ(t.code.size(), static_cast<std::size_t>(JOIN_CODE_LENGTH));
    Player& bob = t.join("bob");
    Player& cy = t.join("cy\x1b[2J");  // shown escaped by the game, carried as bytes
    ASSERT_TRUE(t.runUntil([&] { return host.client->lobby().players.size() == 3; }, 1000));
    EXPECT_TRUE(host.client->isHost());
    EXPECT_FALSE(bob.client->isHost());
    EXPECT_EQ(host.client->lobby().players[2].name, "cy\x1b[2J");

    // The duel has one aircraft a side: the newcomers were put on the enemy side, the third
    // cannot move to the friendly one.
    EXPECT_EQ(host.client->lobby().players[1].side, Side::Enemy);
    cy.client->chooseSide(Side::Friend);
    t.run(50);
    ASSERT_FALSE(cy.notices.empty());
    EXPECT_EQ(cy.notices.back().kind, NoticeKind::NoRoom);
    // Only the host picks and starts.
    bob.client->pickMission(4);
    bob.client->startMission();
    t.run(50);
    EXPECT_EQ(bob.notices.back().kind, NoticeKind::NotHost);
    EXPECT_EQ(host.client->lobby().mission, 1);
    EXPECT_FALSE(t.relay->matchStatus(t.code)->running);

    // Mission 4 has room for friends: cy moves over, and everyone gets a slot of their side.
    host.client->pickMission(4);
    t.run(50);
    cy.client->chooseSide(Side::Friend);
    t.run(50);
    EXPECT_EQ(host.client->lobby().players[2].side, Side::Friend);
    host.client->startMission();
    ASSERT_TRUE(t.runUntil([&] { return cy.client->lastTick() > 0; }, 1000));
    MissionSides sides;
    std::string error;
    ASSERT_TRUE(readMissionSides(VANTREL_DATA_DIR, 4, sides, error)) << error;
    EXPECT_EQ(host.client->slot(), sides.playerSide[0]);
    EXPECT_EQ(cy.client->slot(), sides.playerSide[1]);
    EXPECT_EQ(bob.client->slot(), sides.otherSide[0]);
    EXPECT_EQ(bob.client->seatSlot(host.client->seat()), host.client->slot());

    // The host leaves: the computer flies the slot, the next player hosts.
    const int hostSlot = host.client->slot();
    host.client->leave();
    ASSERT_TRUE(t.runUntil([&] { return bob.client->isHost(); }, 1000));
    t.run(100);
    EXPECT_EQ(bob.client->seatSlot(0), NO_SLOT);
    EXPECT_NE(hostSlot, NO_SLOT);
    EXPECT_EQ(bob.client->lobby().players.size(), 2u);
    bool sawLeft = false;
    for (const Notice& n : bob.notices) sawLeft |= n.kind == NoticeKind::Left && n.seat == 0 && n.tick > 0;
    EXPECT_TRUE(sawLeft);
}

// A match opened before anyone comes (a host script prints its code first) waits for its first
// player, who hosts it; unvisited, it closes when idle like any other.
TEST(RelayLobby, AnOpenedMatchWaitsForItsFirstPlayerWhoHosts) {
    RelayConfig config;
    config.idleMatchMs = 60000;
    Table t(23, config);
    t.code = t.relay->openMatch(t.net.now());
    const std::string unvisited = t.relay->openMatch(t.net.now());
    t.run(30000);
    Player& first = t.join("first");
    Player& second = t.join("second");
    ASSERT_TRUE(t.runUntil([&] { return second.client->lobby().players.size() == 2; }, 1000));
    EXPECT_TRUE(first.client->isHost());
    EXPECT_EQ(first.client->code(), t.code);
    t.run(31000);
    EXPECT_FALSE(t.relay->matchStatus(unvisited));
    first.client->startMission();
    ASSERT_TRUE(t.runUntil([&] { return second.client->lastTick() > 0; }, 1000));
}

TEST(RelayLimits, BadInputIsRefusedWithAReasonAndTheMatchFliesOn) {
    RelayConfig config;
    config.maxMatches = 2;
    Table t(22, config);
    Player& host = t.host("ann");
    t.join("bob");
    host.client->pickMission(2);
    t.run(100);
    host.client->startMission();
    t.run(500);

    struct Case {
        const char* what;
        std::string code;
        std::vector<Bytes> messages;
        RefusalCode expected;
        std::string reasonStart;
    };
    Hello oldVersion = testHello("old", false);
    oldVersion.gameVersion = "0.1";
    Hello otherData = testHello("mod", false);
    otherData.dataFiles[1].hash ^= 1;
    Hello newProtocol = testHello("new", false);
    newProtocol.protocol = PROTOCOL_VERSION + 1;
    Bytes badMission = encodeClientMessage(PickMission{1});
    badMission[1] = 9;
    std::vector<Bytes> flood(300, encodeClientMessage(Pong{1}));
    flood.insert(flood.begin(), helloBytes("x", false));
    Bytes truncatedInputs = encodeClientMessage(Inputs{5, {1, 2}});
    truncatedInputs.pop_back();
    const std::vector<Case> cases = {
        {"oversized", t.code, {Bytes(MAX_CLIENT_MESSAGE_BYTES + 1, 1)}, RefusalCode::TooLarge, "a message of"},
        {"unknown type", t.code, {Bytes{0x42, 0, 0}}, RefusalCode::Malformed, "unknown message type"},
        {"relay's type", t.code, {encodeRelayMessage(Ping{1})}, RefusalCode::Malformed, "unknown message type"},
        {"cut short", t.code, {helloBytes("x", false), truncatedInputs}, RefusalCode::Malformed, "malformed"},
        {"mission 9", t.code, {helloBytes("x", false), badMission}, RefusalCode::Malformed, "malformed"},
        {"keys before hello",
         t.code,
         {encodeClientMessage(Inputs{5, {1}})},
         RefusalCode::Malformed,
         "the first message must be a hello"},
        {"two hellos",
         t.code,
         {helloBytes("x", false), helloBytes("x", false)},
         RefusalCode::Malformed,
         "a second hello"},
        {"old game", t.code, {encodeClientMessage(oldVersion)}, RefusalCode::Version, "game version 0.1"},
        {"new protocol", t.code, {encodeClientMessage(newProtocol)}, RefusalCode::Version, "network protocol"},
        {"other data",
         t.code,
         {encodeClientMessage(otherData)},
         RefusalCode::DataDiffers,
         "game data differs from the relay's: " + otherData.dataFiles[1].name + " differs"},
        {"no such match", "ZZZZZZ", {helloBytes("x", false)}, RefusalCode::NoSuchMatch, "no match has the code ZZZZZZ"},
        {"hosting on a code in use", t.code, {helloBytes("x", true)}, RefusalCode::CodeInUse, "the code"},
        {"hosting on a bad code", "k/", {helloBytes("x", true)}, RefusalCode::Malformed, "k/ cannot be"},
        {"flood", t.code, flood, RefusalCode::Flood, "too many messages"},
        {"no hello", t.code, {}, RefusalCode::Timeout, "no hello came"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualLink& link = t.net.connect(c.code, {});
        t.run(2);
        for (const Bytes& m : c.messages) link.send(m);
        t.run(c.expected == RefusalCode::Timeout ? 5100 : 20);
        const std::optional<Refusal> refusal = refusalIn(received(link));
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->code, c.expected);
        EXPECT_EQ(refusal->reason.rfind(c.reasonStart, 0), 0u) << refusal->reason;
        EXPECT_EQ(link.state(), MessageLink::State::Closed);
    }

    // A full relay refuses a new match and still serves its own.
    VirtualLink& second = t.net.connect("", {});
    t.run(2);
    second.send(helloBytes("x", true));
    t.run(20);
    EXPECT_FALSE(refusalIn(received(second)));
    VirtualLink& third = t.net.connect("", {});
    t.run(2);
    third.send(helloBytes("x", true));
    t.run(20);
    const std::optional<Refusal> full = refusalIn(received(third));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->code, RefusalCode::RelayFull);

    // The keys a player sends fly only that player's seat: nothing in the protocol names another.
    const std::optional<MatchStatus> status = t.relay->matchStatus(t.code);
    ASSERT_TRUE(status && status->running);
    EXPECT_EQ(status->players, 2);
    t.settle();
    for (const Player& p : t.players) EXPECT_EQ(hashWorld(*p.world), t.relay->matchStatus(t.code)->worldHash);
}

TEST(RelayLimits, ConnectionsPerRelayAndPerAddressAreCapped) {
    RelayConfig config;
    config.maxConnections = 3;
    config.maxConnectionsPerAddress = 2;
    auto relay = makeTestRelay(1, config);
    for (ConnectionId id = 1; id <= 3; ++id) relay->open(id, "10.0.0.1", "", 0);
    relay->open(4, "10.0.0.2", "", 0);
    int refusals = 0;
    for (const Outgoing& o : relay->takeOutgoing()) {
        RelayMessage m;
        std::string error;
        ASSERT_TRUE(decodeRelayMessage(o.message.data(), o.message.size(), m, error));
        const Refusal* r = std::get_if<Refusal>(&m);
        ASSERT_TRUE(r && o.close);
        EXPECT_EQ(r->code, RefusalCode::RelayFull);
        EXPECT_EQ(o.to, static_cast<ConnectionId>(refusals == 0 ? 3 : 4));
        ++refusals;
    }
    EXPECT_EQ(refusals, 2);
}

// A public relay's other limits: one address opening connection after connection is slowed to
// the configured rate, and a match where nobody does anything closes with a reason.
TEST(RelayLimits, ConnectionRateAndIdleMatchesAreLimited) {
    RelayConfig config;
    config.connectsPerMinute = 4;
    config.idleMatchMs = 60000;
    auto relay = makeTestRelay(2, config);
    const auto refusalsTo = [&](ConnectionId id) {
        std::vector<Refusal> out;
        for (const Outgoing& o : relay->takeOutgoing()) {
            RelayMessage m;
            std::string error;
            EXPECT_TRUE(decodeRelayMessage(o.message.data(), o.message.size(), m, error));
            if (const Refusal* r = std::get_if<Refusal>(&m); r && o.to == id) out.push_back(*r);
        }
        return out;
    };
    ConnectionId id = 1;
    for (; id <= 4; ++id) {
        relay->open(id, "10.0.0.1", "", 1000);
        relay->closed(id, 1000);
    }
    EXPECT_TRUE(refusalsTo(0).empty());
    relay->open(id, "10.0.0.1", "", 1000);
    std::vector<Refusal> refused = refusalsTo(id);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].code, RefusalCode::Flood);
    EXPECT_EQ(refused[0].reason, "too many new connections from your address; wait a minute");
    relay->closed(id++, 1000);
    relay->open(id, "10.0.0.2", "", 1000);  // another address is not held up
    EXPECT_TRUE(refusalsTo(id).empty());
    relay->open(++id, "10.0.0.1", "", 1000 + 15000);  // a quarter of a minute: one more
    EXPECT_TRUE(refusalsTo(id).empty());

    // Idle: a lobby nobody touches closes; pongs alone do not keep it.
    const Bytes hello = encodeClientMessage(testHello("idle", true));
    const ConnectionId idler = ++id;
    relay->open(idler, "10.0.0.3", "", 20000);
    relay->receive(idler, hello.data(), hello.size(), 20000);
    ASSERT_EQ(relay->matchCount(), 1u);
    for (uint32_t at = 20000; at < 20000 + config.idleMatchMs - 1000; at += 500) {
        const Bytes pong = encodeClientMessage(Pong{at});
        relay->receive(idler, pong.data(), pong.size(), at);
        relay->advance(at);
    }
    EXPECT_EQ(relay->matchCount(), 1u);
    relay->takeOutgoing();
    relay->advance(20000 + config.idleMatchMs);
    refused = refusalsTo(idler);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].code, RefusalCode::Timeout);
    EXPECT_EQ(refused[0].reason, "the match closed: nobody played in it for a minute");
    EXPECT_EQ(relay->matchCount(), 0u);
    const std::vector<std::string> log = relay->takeLogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) { return line.ends_with("closed after 60 idle seconds"); }),
              1);
}

// Missions started in the same millisecond tick in different ones, so none waits for the
// others' Worlds before its ticks go out; each still ticks every 30 ms.
TEST(RelaySchedule, MissionsStartedTogetherTickInDifferentMilliseconds) {
    auto relay = makeTestRelay(5);
    const Bytes hello = encodeClientMessage(testHello("host", true));
    const Bytes start = encodeClientMessage(StartMission{});
    const ConnectionId hosts = 6;
    for (ConnectionId id = 1; id <= hosts; ++id) {
        relay->open(id, "10.0.0." + std::to_string(id), "", 0);
        relay->receive(id, hello.data(), hello.size(), 0);
    }
    for (ConnectionId id = 1; id <= hosts; ++id) relay->receive(id, start.data(), start.size(), 100);
    std::map<ConnectionId, std::vector<uint32_t>> tickTimes;
    for (uint32_t at = 100; at <= 200; ++at) {
        relay->advance(at);
        for (const Outgoing& o : relay->takeOutgoing()) {
            RelayMessage m;
            std::string error;
            ASSERT_TRUE(decodeRelayMessage(o.message.data(), o.message.size(), m, error)) << error;
            if (std::holds_alternative<Tick>(m)) tickTimes[o.to].push_back(at);
        }
    }
    ASSERT_EQ(tickTimes.size(), hosts);
    std::set<uint32_t> firstTicks;
    for (const auto& [id, times] : tickTimes) {
        ASSERT_GE(times.size(), 2u);
        EXPECT_GE(times[0], 100 + TICK_MS);
        EXPECT_LT(times[0], 100 + 2 * TICK_MS);
        for (std::size_t i = 1; i < times.size(); ++i) EXPECT_EQ(times[i] - times[i - 1], TICK_MS);
        firstTicks.insert(times[0]);
    }
    EXPECT_EQ(firstTicks.size(), hosts);
}

}  // namespace
}  // namespace vantrel::net::test
