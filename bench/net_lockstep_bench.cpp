// Network play on the in-process network, in virtual time: each benchmark flies one scenario
// and reports its figures as counters (milliseconds of virtual time, bytes per second).
//   input delay on a LAN; bytes each way per player; stalls at 50 ms round trip and 2 % loss;
//   how soon a desync is found and repaired; how soon a lost player's slot goes to the
//   computer; how soon a player joining mid-mission flies.
// The lossy runs go twice, by how late a lost segment arrives: 200 ms, Linux's floor on the
// retransmission timeout (a loss nothing follows), and 100 ms, twice the round trip, when the
// segments that follow let TCP find the loss sooner (RACK and the tail loss probe).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../tests/net/virtual_network.h"

namespace vantrel::net::test {
namespace {

const Conditions LAN{1, 1, 0, 200};
// 50 ms round trip, 2 % of segments lost once and delivered retransmitMs late.
Conditions lossyWan(benchmark::State& state) { return Conditions{25, 5, 0.02, static_cast<uint32_t>(state.range(0))}; }

// A host and the others, in the lobby, then flying the grand battle.
void startFlying(Table& t, int players, const Conditions& c) {
    t.host("host", c);
    for (int i = 1; i < players; ++i) t.join("p" + std::to_string(i), c);
    t.runUntil([&] { return t.players.front().client->lobby().players.size() == static_cast<size_t>(players); }, 5000);
    t.players.front().client->pickMission(5);
    t.run(200);
    t.players.front().client->startMission();
    t.runUntil([&] { return t.players.back().client->lastTick() > 0; }, 5000);
}

// Keeps the grand battle going: whenever it ends, the host starts it again.
void keepFlying(Table& t, uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 100) {
        if (t.players.front().client->phase() == ClientPhase::Lobby) t.players.front().client->startMission();
        t.run(100);
    }
}

void BM_NetLanDelayAndBandwidth(benchmark::State& state) {
    for (auto _ : state) {
        Table t(1);
        startFlying(t, 2, LAN);
        const Player& p = t.players[1];
        const uint64_t up0 = t.net.bytesUp(*p.link), down0 = t.net.bytesDown(*p.link);
        keepFlying(t, 60000);
        state.counters["input_delay_ms"] = p.client->inputDelay() * TICK_MS;
        state.counters["bytes_up_per_s"] = static_cast<double>(t.net.bytesUp(*p.link) - up0) / 60;
        state.counters["bytes_down_per_s"] = static_cast<double>(t.net.bytesDown(*p.link) - down0) / 60;
    }
}
BENCHMARK(BM_NetLanDelayAndBandwidth)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_NetStallsAt50msAnd2PercentLoss(benchmark::State& state) {
    for (auto _ : state) {
        Table t(2);
        startFlying(t, 2, lossyWan(state));
        for (Player& p : t.players) p.tickTimes.clear(), p.shownTimes.clear();
        const uint32_t minutes = 5;
        keepFlying(t, minutes * 60000);
        // A stall: a gap between two ticks a player sees, beyond the tick itself. The relay's
        // own ticks show how long the screen would have stood still without the guesses.
        const auto count = [&](const char* name, std::vector<Player::Moment> Player::*times) {
            uint32_t longest = 0, over100 = 0, over250 = 0;
            for (const Player& p : t.players) {
                const std::vector<Player::Moment>& at = p.*times;
                for (std::size_t i = 1; i < at.size(); ++i) {
                    if (at[i].missionBegan) continue;  // the wait between missions is no stall
                    const uint32_t gap = at[i].ms - at[i - 1].ms;
                    longest = std::max(longest, gap);
                    over100 += gap > 100;
                    over250 += gap > 250;
                }
            }
            const double playerMinutes = minutes * static_cast<double>(t.players.size());
            state.counters[std::string(name) + "longest_ms"] = longest;
            state.counters[std::string(name) + "over_100ms_per_min"] = over100 / playerMinutes;
            state.counters[std::string(name) + "over_250ms_per_min"] = over250 / playerMinutes;
        };
        count("stall_", &Player::shownTimes);
        count("relay_wait_", &Player::tickTimes);
        state.counters["input_delay_ms"] = t.players[0].client->inputDelay() * TICK_MS;
        state.counters["late_inputs_per_min"] = static_cast<double>(t.relay->counters().lateInputs) / minutes;
        state.counters["delay_raises"] = static_cast<double>(t.relay->counters().delayRaises);
    }
}
BENCHMARK(BM_NetStallsAt50msAnd2PercentLoss)
    ->ArgName("retransmit_ms")
    ->Arg(200)
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The median and the worst of a scenario's trials.
void report(benchmark::State& state, const std::string& name, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    state.counters["median_" + name] = values[values.size() / 2];
    state.counters["worst_" + name] = values.back();
}

void BM_NetDesyncFoundAndRepaired(benchmark::State& state) {
    std::vector<double> found, repaired;
    const int trials = 40;
    for (auto _ : state) {
        for (int trial = 0; trial < trials; ++trial) {
            Table t(100 + static_cast<uint64_t>(trial));
            startFlying(t, 2, lossyWan(state));
            t.run(1000 + static_cast<uint32_t>(trial) * 37);
            Player& victim = t.players[1];
            const uint32_t flipped = t.net.now();
            victim.world->rngState ^= 1;
            // Found by whichever side sees it first: the relay from the client's hash, or the
            // client from the relay's.
            t.runUntil([&] { return t.relay->counters().desyncs > 0 || victim.client->outOfStep(); }, 3000);
            found.push_back(t.net.now() - flipped);
            t.runUntil([&] { return victim.client->repairedRecently(t.net.now()); }, 3000);
            repaired.push_back(t.net.now() - flipped);
        }
    }
    report(state, "found_ms", found);
    report(state, "repaired_ms", repaired);
}
BENCHMARK(BM_NetDesyncFoundAndRepaired)
    ->ArgName("retransmit_ms")
    ->Arg(200)
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_NetDropAndJoin(benchmark::State& state) {
    std::vector<double> dropped, silent, joined;
    const int trials = 20;
    for (auto _ : state) {
        for (int trial = 0; trial < trials; ++trial) {
            Table t(200 + static_cast<uint64_t>(trial));
            startFlying(t, 3, lossyWan(state));
            t.run(2000 + static_cast<uint32_t>(trial) * 53);
            Player& host = t.players[0];
            const int killedSeat = t.players[1].client->seat(), cutSeat = t.players[2].client->seat();
            const uint32_t lost = t.net.now();
            t.kill(t.players[1]);
            t.runUntil([&] { return host.client->seatSlot(killedSeat) == NO_SLOT; }, 5000);
            dropped.push_back(t.net.now() - lost);
            const uint32_t cut = t.net.now();
            t.net.cut(*t.players[2].link, 60000);
            t.players[2].running = false;
            t.runUntil([&] { return host.client->seatSlot(cutSeat) == NO_SLOT; }, 5000);
            silent.push_back(t.net.now() - cut);
            Player& newcomer = t.join("new", lossyWan(state));
            const uint32_t arrived = t.net.now();
            t.runUntil([&] { return newcomer.client->slot() != NO_SLOT; }, 5000);
            joined.push_back(t.net.now() - arrived);
        }
    }
    report(state, "closed_to_computer_ms", dropped);
    report(state, "silent_to_computer_ms", silent);
    report(state, "join_to_flying_ms", joined);
}
BENCHMARK(BM_NetDropAndJoin)
    ->ArgName("retransmit_ms")
    ->Arg(200)
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::net::test
