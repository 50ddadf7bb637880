// Network missions on the in-process network: clients and the relay keep the same World
// through delay, jitter, loss, drops, rejoins and repairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "virtual_network.h"

namespace vantrel::net::test {
namespace {

bool allInLobby(const Table& t, std::size_t players) {
    for (const Player& p : t.players)
        if (p.running && p.client->lobby().players.size() != players) return false;
    return true;
}

// Hosts, lets the others join, picks the mission and starts it.
void startMission(Table& t, int mission) {
    Player& host = t.players.front();
    ASSERT_TRUE(t.runUntil([&] { return allInLobby(t, t.players.size()); }, 3000));
    host.client->pickMission(mission);
    ASSERT_TRUE(t.runUntil([&] { return host.client->lobby().mission == mission; }, 3000));
    host.client->startMission();
    ASSERT_TRUE(t.runUntil(
        [&] {
            return std::all_of(t.players.begin(), t.players.end(),
                               [](const Player& p) { return p.client->lastTick() > 0; });
        },
        3000));
}

// Runs for ms; whenever a mission has ended the host starts the next one.
void keepFlying(Table& t, uint32_t ms, int mission) {
    Player& host = t.players.front();
    for (uint32_t chunk = 0; chunk < ms; chunk += 100) {
        if (host.client->phase() == ClientPhase::Lobby && !t.relay->matchStatus(t.code)->running) {
            host.client->pickMission(mission);
            host.client->startMission();
        }
        t.run(100);
    }
}

void expectSameWorldAsRelay(Table& t) {
    t.settle();
    const std::optional<MatchStatus> relay = t.relay->matchStatus(t.code);
    ASSERT_TRUE(relay);
    for (const Player& p : t.players) {
        if (!p.running || p.client->phase() == ClientPhase::Closed || p.client->lastTick() == 0) continue;
        EXPECT_EQ(p.client->lastTick(), relay->tick) << "seat " << p.client->seat();
        EXPECT_EQ(hashWorld(*p.world), relay->worldHash) << "seat " << p.client->seat();
        EXPECT_TRUE(p.reports.empty()) << "seat " << p.client->seat();
    }
    EXPECT_EQ(t.relay->counters().desyncs, 0u);
    EXPECT_TRUE(t.relay->takeDesyncReports().empty());
}

// The notices of these kinds a player saw during missions: kind, seat and tick.
std::set<std::tuple<int, int, uint32_t>> noticesSeen(const Player& p, std::initializer_list<NoticeKind> kinds) {
    std::set<std::tuple<int, int, uint32_t>> seen;
    for (const Notice& n : p.notices)
        if (n.tick != 0 && std::find(kinds.begin(), kinds.end(), n.kind) != kinds.end())
            seen.insert({static_cast<int>(n.kind), n.seat, n.tick});
    return seen;
}

TEST(Lockstep, EveryClientEndsWithTheRelaysWorldOverManySeeds) {
    for (uint64_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Table t(seed);
        const Conditions c{static_cast<uint32_t>(1 + seed * 7 % 40), static_cast<uint32_t>(seed % 12),
                           seed % 2 ? 0.02 : 0.0, 200};
        t.host("host", c);
        const int players = 2 + static_cast<int>(seed % 4);
        for (int i = 1; i < players; ++i) t.join("p" + std::to_string(i), c);
        const int mission = 1 + static_cast<int>(seed % 5);
        startMission(t, mission);
        keepFlying(t, 12000 + static_cast<uint32_t>(seed * 1000), mission);
        // One player's program dies, another player arrives; the missions go on.
        t.kill(t.players.back());
        keepFlying(t, 2000, mission);
        t.join("late", c);
        keepFlying(t, 12000, mission);
        EXPECT_GT(t.players.back().client->lastTick(), 0u);
        expectSameWorldAsRelay(t);
        const auto reference = noticesSeen(t.players.front(), {NoticeKind::Dropped, NoticeKind::Joined});
        for (const Player& p : t.players) {
            if (p.running && &p != &t.players.back()) {
                EXPECT_EQ(noticesSeen(p, {NoticeKind::Dropped, NoticeKind::Joined}), reference);
            }
        }
    }
}

TEST(Lockstep, SixteenPlayersStayTogether) {
    Table t(99);
    const Conditions c{15, 10, 0.01, 200};
    t.host("host", c);
    for (int i = 1; i < MAX_SEATS; ++i) t.join("p" + std::to_string(i), c);
    startMission(t, 5);
    t.run(6000);
    expectSameWorldAsRelay(t);
    int flying = 0;
    for (const Player& p : t.players) flying += p.client->slot() != NO_SLOT;
    EXPECT_EQ(flying, MAX_SEATS);  // the grand battle has room for everyone
}

TEST(Lockstep, DelayFitsTheRoundTripAndGrowsWhenKeysComeLate) {
    Table t(6);
    t.host("host", {1, 1, 0, 200});
    Player& far = t.join("far", {30, 2, 0, 200});
    t.run(1000);  // a round trip or two measured
    startMission(t, 3);
    EXPECT_EQ(t.relay->matchStatus(t.code)->inputDelay, 3);  // (60 + 15) ms in 30 ms ticks
    EXPECT_EQ(far.client->inputDelay(), 3);

    // The far player's route gets longer: their keys come late until the delay covers it,
    // and the Worlds stay the same through every change.
    t.net.setConditions(*far.link, {70, 2, 0, 200});
    ASSERT_TRUE(t.runUntil([&] { return t.relay->matchStatus(t.code)->inputDelay >= 6; }, 15000));
    const uint64_t lateBefore = t.relay->counters().lateInputs;
    t.run(3000);
    EXPECT_EQ(t.relay->matchStatus(t.code)->inputDelay, 6);
    EXPECT_EQ(far.client->inputDelay(), 6);
    EXPECT_EQ(t.relay->counters().lateInputs, lateBefore);
    expectSameWorldAsRelay(t);
}

// A lost segment holds back the relay's ticks to one player for a quarter of a second. Their
// screen runs on at the relay's pace on a guess: the keys they press meanwhile fly their own
// aircraft and reach the relay in time, the other human holds their keys, so every guessed
// tick is the World the relay's tick then makes. Their World ends as the relay's.
TEST(Lockstep, HeldBackTicksAreGuessedExactlyAndTheKeysStillGoOnTime) {
    Table t(21);
    const Conditions c{10, 0, 0, 200};
    Player& steady = t.host("steady", c);
    Player& held = t.join("held", c);
    steady.steady = true;
    held.keepHashes = true;
    startMission(t, 4);
    t.run(1000);
    const uint64_t lateBefore = t.relay->counters().lateInputs;
    const std::size_t shownBefore = held.shownTimes.size();

    t.net.holdDown(*held.link, 250);
    for (uint32_t ms = 0; ms < 250; ms += TICK_MS) {
        held.keys[VK_NUMPAD4] ^= KEY_DOWN_BIT;
        held.keys[VK_Z] = (ms / TICK_MS) % 3 == 0 ? KEY_DOWN_BIT : 0;
        t.run(TICK_MS);
    }
    t.run(500);

    EXPECT_GE(held.guessedHashes.size(), 6u);
    for (const auto& [tick, hash] : held.guessedHashes) {
        ASSERT_TRUE(held.confirmedHashes.count(tick)) << "tick " << tick;
        EXPECT_EQ(hash, held.confirmedHashes[tick]) << "tick " << tick;
    }
    for (std::size_t i = shownBefore + 1; i < held.shownTimes.size(); ++i)
        EXPECT_LE(held.shownTimes[i].ms - held.shownTimes[i - 1].ms, TICK_MS + RunAhead::GRACE_MS);
    EXPECT_EQ(t.relay->counters().lateInputs, lateBefore);
    expectSameWorldAsRelay(t);
}

TEST(Lockstep, PausedPlayerCatchesUpWithinTheMessageRateAndFliesAgain) {
    Table t(12);
    t.host("host");
    Player& sleeper = t.join("\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4");  // 14 bytes
    startMission(t, 4);
    t.run(2000);
    const int seat = sleeper.client->seat();
    const int slot = sleeper.client->slot();
    EXPECT_EQ(t.players[0].client->lobby().players[1].name, "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4");

    // A program that stops for 20 s (a dragged window, a debugger) loses its slot, then runs
    // the 660 ticks it missed at once and takes the slot back, without being taken for a flood.
    sleeper.running = false;
    t.run(20000);
    EXPECT_EQ(t.players[0].client->seatSlot(seat), NO_SLOT);
    sleeper.running = true;
    ASSERT_TRUE(t.runUntil([&] { return t.players[0].client->seatSlot(seat) == slot; }, 2000));
    EXPECT_EQ(sleeper.client->phase(), ClientPhase::Mission);
    EXPECT_EQ(sleeper.client->slot(), slot);
    t.run(1000);
    expectSameWorldAsRelay(t);
}

// A player who looks away (a window without the focus, then a hidden tab whose program stops)
// hands the slot to the computer at once and takes it back on return; one who looked away in
// the lobby watches the start and flies once back.
TEST(Lockstep, AwayPlayersSlotGoesToTheComputerUntilTheyAreBack) {
    Table t(13);
    Player& host = t.host("host");
    Player& dreamer = t.join("dreamer");
    Player& late = t.join("late");
    ASSERT_TRUE(t.runUntil([&] { return allInLobby(t, 3); }, 3000));
    late.client->setAway(true);
    startMission(t, 4);
    const int lateSeat = late.client->seat();
    EXPECT_EQ(host.client->seatSlot(lateSeat), NO_SLOT);
    t.run(1000);
    const int seat = dreamer.client->seat();
    const int slot = dreamer.client->slot();
    ASSERT_NE(slot, NO_SLOT);

    dreamer.client->setAway(true);
    const uint32_t awayAt = t.net.now();
    ASSERT_TRUE(t.runUntil([&] { return host.client->seatSlot(seat) == NO_SLOT; }, 1000));
    EXPECT_LE(t.net.now() - awayAt, 200u);  // at once, not after a silence
    dreamer.running = false;                // the hidden tab's program stands still
    t.run(5000);
    EXPECT_EQ(host.client->seatSlot(seat), NO_SLOT);
    dreamer.running = true;
    dreamer.client->setAway(false);
    late.client->setAway(false);
    ASSERT_TRUE(t.runUntil(
        [&] { return host.client->seatSlot(seat) == slot && host.client->seatSlot(lateSeat) != NO_SLOT; }, 2000));
    EXPECT_EQ(dreamer.client->slot(), slot);
    EXPECT_EQ(late.client->slot(), host.client->seatSlot(lateSeat));
    t.run(1000);
    expectSameWorldAsRelay(t);

    const auto hostSaw = noticesSeen(host, {NoticeKind::Away, NoticeKind::Returned});
    const auto dreamerSaw = noticesSeen(dreamer, {NoticeKind::Away, NoticeKind::Returned});
    EXPECT_EQ(hostSaw.size(), 4u);  // late away at the start and back, dreamer away and back
    EXPECT_EQ(hostSaw, dreamerSaw);
}

TEST(Lockstep, FlippedBitIsFoundAndRepairedOnThatClientOnly) {
    Table t(5);
    const Conditions c{25, 5, 0.02, 200};  // 50 ms round trip, 2 % loss
    t.host("host", c);
    t.join("a", c);
    t.join("b", c);
    startMission(t, 3);
    t.run(3000);
    Player& victim = t.players[1];
    const uint32_t flippedAfter = victim.client->lastTick();
    const uint32_t flippedAt = t.net.now();
    victim.world->rngState ^= 0x10;
    ASSERT_TRUE(t.runUntil([&] { return victim.client->repairedRecently(t.net.now()); }, 2000));
    EXPECT_LT(t.net.now() - flippedAt, 1000u);

    ASSERT_EQ(victim.reports.size(), 1u);
    const DesyncReport& seen = victim.reports[0];
    EXPECT_GT(seen.desync.tick, flippedAfter);
    EXPECT_LE(seen.desync.tick, flippedAfter + HASH_INTERVAL_TICKS);
    EXPECT_NE(seen.desync.relayHash, seen.desync.clientHash);
    EXPECT_LE(seen.desync.lastAgreedTick, flippedAfter);
    ASSERT_TRUE(seen.agreedWorld);
    const std::vector<DesyncReport> relayReports = t.relay->takeDesyncReports();
    ASSERT_EQ(relayReports.size(), 1u);
    EXPECT_EQ(relayReports[0].seat, victim.client->seat());
    EXPECT_EQ(relayReports[0].desync.tick, seen.desync.tick);

    // The relay's report, written out as text and read back, replays to its own hash.
    MatchRecording readBack;
    std::string error;
    ASSERT_TRUE(parseRecordingText(recordingText(*relayReports[0].recording), readBack, error)) << error;
    EXPECT_EQ(recordingText(readBack), recordingText(*relayReports[0].recording));
    auto replayed = std::make_unique<World>();
    ASSERT_TRUE(replayRecording(*replayed, VANTREL_DATA_DIR, readBack, seen.desync.tick, error));
    EXPECT_EQ(matchHash(*replayed), seen.desync.relayHash);

    t.run(2000);
    for (const Player& p : t.players) {
        if (&p != &victim) {
            EXPECT_TRUE(p.reports.empty());
        }
    }
    t.settle();
    const std::optional<MatchStatus> relay = t.relay->matchStatus(t.code);
    for (const Player& p : t.players) EXPECT_EQ(hashWorld(*p.world), relay->worldHash);
}

// The relay's hashes come with its ticks: a client whose own hashes are held up by a lost
// segment still finds its desync one tick after its next hash tick, and is repaired once they
// arrive.
TEST(Lockstep, ClientFindsItsDesyncWhileItsHashesAreHeldUp) {
    Table t(6);
    const Conditions c{10, 0, 0, 200};
    Player& other = t.host("other", c);
    Player& victim = t.join("victim", c);
    startMission(t, 4);
    t.run(2000);
    const uint32_t flippedAt = t.net.now();
    t.net.holdUp(*victim.link, 300);
    victim.world->rngState ^= 0x10;

    ASSERT_TRUE(t.runUntil([&] { return victim.client->outOfStep(); }, 1000));
    EXPECT_LE(t.net.now() - flippedAt, (HASH_INTERVAL_TICKS + 2) * TICK_MS);
    EXPECT_EQ(t.relay->counters().desyncs, 0u);

    ASSERT_TRUE(t.runUntil([&] { return victim.client->repairedRecently(t.net.now()); }, 1000));
    EXPECT_FALSE(victim.client->outOfStep());
    EXPECT_EQ(t.relay->counters().desyncs, 1u);
    t.run(500);
    EXPECT_FALSE(other.client->outOfStep());
    EXPECT_TRUE(other.reports.empty());
    t.settle();
    for (const Player& p : t.players) EXPECT_EQ(hashWorld(*p.world), t.relay->matchStatus(t.code)->worldHash);
}

TEST(Lockstep, DroppedPlayersSlotsGoToTheComputerAndComeBack) {
    RelayConfig config;
    config.rejoinWindowMs = 10000;
    Table t(8, config);
    const Conditions c{25, 5, 0.02, 200};
    t.host("host", c);
    t.join("killed", c);
    t.join("cut", c);
    startMission(t, 4);
    t.run(3000);
    Player& killed = t.players[1];
    Player& cut = t.players[2];
    const int killedSeat = killed.client->seat();
    const int killedSlot = killed.client->slot();
    const uint64_t token = killed.client->token();
    ASSERT_NE(killedSlot, NO_SLOT);

    // Handed to the computer within 1.5 s: a closed connection and a silent one alike.
    const uint32_t lostAt = t.net.now();
    t.kill(killed);
    t.net.cut(*cut.link, 30000);
    cut.running = false;
    Player& host = t.players[0];
    ASSERT_TRUE(t.runUntil([&] { return host.client->seatSlot(killedSeat) == NO_SLOT; }, 1500));
    ASSERT_TRUE(t.runUntil([&] { return host.client->seatSlot(cut.client->seat()) == NO_SLOT; }, 1500));
    EXPECT_LE(t.net.now() - lostAt, 1500u);

    // Back with the token within the rejoin window: the World, and the same slot, within 1 s.
    t.run(2000);
    Player& back = t.join("killed", c, token);
    const uint32_t rejoinedAt = t.net.now();
    ASSERT_TRUE(t.runUntil([&] { return back.client->slot() != NO_SLOT; }, 1000));
    EXPECT_EQ(back.client->seat(), killedSeat);
    EXPECT_EQ(back.client->slot(), killedSlot);
    EXPECT_LE(t.net.now() - rejoinedAt, 1000u);

    // A newcomer mid-mission flies a computer-flown slot within 1 s.
    Player& newcomer = t.join("new", c);
    const uint32_t joinedAt = t.net.now();
    ASSERT_TRUE(t.runUntil([&] { return newcomer.client->slot() != NO_SLOT; }, 1000));
    EXPECT_LE(t.net.now() - joinedAt, 1000u);
    t.run(3000);
    expectSameWorldAsRelay(t);

    // Everyone present saw each change announced for the same tick.
    const auto hostSaw = noticesSeen(host, {NoticeKind::Dropped, NoticeKind::Rejoined, NoticeKind::Joined});
    EXPECT_EQ(hostSaw.size(), 4u);
    const auto backSaw = noticesSeen(back, {NoticeKind::Joined});
    EXPECT_TRUE(std::includes(hostSaw.begin(), hostSaw.end(), backSaw.begin(), backSaw.end()));

    // Past the window the place is gone.
    t.kill(newcomer);
    t.run(config.rejoinWindowMs + 100);
    Player& tooLate = t.join("new", c, newcomer.client->token());
    t.run(500);
    EXPECT_EQ(tooLate.client->phase(), ClientPhase::Closed);
    EXPECT_EQ(tooLate.client->closeReason(), "the match no longer keeps a place for you");
}

TEST(Lockstep, RecordingTextWithAnyDamageIsRefusedByLine) {
    const std::vector<std::string> good = {"seed 5",        "mission 2", "first-tick 18",         "delay 2",
                                           "seat 0 slot 4", "18 0:0101", "19 +1>6 0:0101 1:ffff", "20 -1 0:0000"};
    const auto join = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    };
    MatchRecording r;
    std::string error;
    ASSERT_TRUE(parseRecordingText(join(good), r, error)) << error;
    EXPECT_EQ(r.lastTick(), 20u);
    EXPECT_EQ(r.start().seatSlot[0], 4);
    EXPECT_EQ(recordingText(r).substr(recordingText(r).find("seed")), join(good));
    const std::pair<std::size_t, const char*> damaged[] = {
        {1, "mission 9"},  {2, "first-tick 0"}, {3, "delay 17"},  {4, "seat 16 slot 4"},         {4, "seat 0 slot 30"},
        {5, "18 0:10000"}, {5, "18 16:0001"},   {5, "21 0:0101"}, {6, "19 +1>30 0:0101 1:ffff"}, {6, "19 +1 0:0101"},
        {7, "20 -x"}};
    for (const auto& [line, replacement] : damaged) {
        std::vector<std::string> lines = good;
        lines[line] = replacement;
        EXPECT_FALSE(parseRecordingText(join(lines), r, error)) << replacement;
        EXPECT_EQ(error.rfind("line " + std::to_string(line + 1) + ":", 0), 0u) << replacement << ": " << error;
    }
    EXPECT_FALSE(parseRecordingText("18 0:0101\n", r, error));
}

TEST(Lockstep, LostRelayEndsTheMissionWithAReason) {
    Table t(3);
    t.host("host");
    t.join("a");
    startMission(t, 2);
    t.run(1000);
    t.net.cut(*t.players[1].link, 60000);
    t.run(5500);
    EXPECT_EQ(t.players[1].client->phase(), ClientPhase::Closed);
    EXPECT_EQ(t.players[1].client->closeReason(), "the relay stopped answering");
}

}  // namespace
}  // namespace vantrel::net::test
