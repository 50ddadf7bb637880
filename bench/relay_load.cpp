// relay-load: simulated players on real sockets against a vantrel-relay it starts on 127.0.0.1,
// N two-player matches flying the grand battle, for a bounded time, then it stops both.
// Reports the relay's CPU per match, how late ticks reach the players beyond the relay's own
// 30 ms schedule (the delay the relay adds, at most; the generator's own lateness is in it),
// bytes each way per player and the input delay. The players send keys but run no World.
//   relay-load --relay build/vantrel-relay --data build/data [--matches 200] [--seconds 20]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "net/data_files.h"
#include "relay/websocket_link.h"

extern char** environ;

namespace {

using namespace vantrel;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// A player of the load: its link and what it measured.
struct Bot {
    std::unique_ptr<relay::WebSocketLink> link;
    bool host = false;
    bool started = false;
    int delay = 2;
    uint16_t keys = 0;
    std::map<uint32_t, double> tickArrival;  // seconds since the run began
    uint64_t bytesUp = 0, bytesDown = 0;
    std::string refused;
};

struct Load {
    net::JoinAddress relay;
    std::shared_ptr<relay::ClientContext> context;
    std::vector<std::unique_ptr<Bot>> bots;
    Clock::time_point began = Clock::now();
    int mission = 5;
    bool measuring = false;

    Bot& connect(const std::string& code, bool host) {
        auto bot = std::make_unique<Bot>();
        net::JoinAddress at = relay;
        at.code = code;
        bot->link = relay::WebSocketLink::connect(at, context);
        bot->host = host;
        bots.push_back(std::move(bot));
        return *bots.back();
    }

    void send(Bot& b, const net::ClientMessage& m) {
        net::Bytes bytes = net::encodeClientMessage(m);
        if (measuring) b.bytesUp += bytes.size();
        b.link->send(std::move(bytes));
    }

    void greet(Bot& b, const net::Hello& hello) {
        if (b.started || b.link->state() != net::MessageLink::State::Open) return;
        net::Hello h = hello;
        h.host = b.host;
        h.name = b.host ? "host" : "guest";
        send(b, h);
        b.started = true;
    }

    void handle(Bot& b, net::RelayMessage& m) {
        if (auto* w = std::get_if<net::Welcome>(&m)) {
            if (b.host) connect(w->code, false);
        } else if (auto* l = std::get_if<net::Lobby>(&m)) {
            if (b.host && l->players.size() == 2 && !l->missionRunning) startMission(b);
        } else if (auto* s = std::get_if<net::Start>(&m)) {
            b.delay = s->inputDelay;
        } else if (auto* d = std::get_if<net::DelayChange>(&m)) {
            b.delay = d->inputDelay;
        } else if (auto* t = std::get_if<net::Tick>(&m)) {
            if (measuring) b.tickArrival[t->tick] = secondsSince(began);
            if (t->tick % 20 == 0) b.keys = static_cast<uint16_t>(b.keys * 31 + 7);
            send(b, net::Inputs{t->tick + static_cast<uint32_t>(b.delay), {b.keys}});
        } else if (std::holds_alternative<net::End>(m)) {
            if (b.host) startMission(b);
        } else if (auto* p = std::get_if<net::Ping>(&m)) {
            send(b, net::Pong{p->stamp});
        } else if (auto* r = std::get_if<net::Refusal>(&m)) {
            b.refused = r->reason;
        }
    }

    void startMission(Bot& host) {
        send(host, net::PickMission{static_cast<uint8_t>(mission)});
        send(host, net::StartMission{});
    }

    void pass(const net::Hello& hello) {
        context->serviceWaiting(5);
        for (std::size_t i = 0; i < bots.size(); ++i) {
            Bot& b = *bots[i];
            greet(b, hello);
            net::Bytes bytes;
            while (b.link->receive(bytes)) {
                if (measuring) b.bytesDown += bytes.size();
                net::RelayMessage m;
                std::string error;
                if (net::decodeRelayMessage(bytes.data(), bytes.size(), m, error)) handle(b, m);
            }
        }
    }
};

struct RelayProcess {
    pid_t pid = -1;
    std::string log;
    ~RelayProcess() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::string logText() const {
        std::ifstream file(log);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // User and system CPU seconds so far.
    double cpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) user = std::stod(field);
            if (i == 15) system = std::stod(field);
        }
        return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"relay-load: two-player matches of simulated players against a relay on 127.0.0.1"};
    std::string relayProgram, dataDir;
    int matches = 200, seconds = 20, port = 18931, mission = 5;
    app.add_option("--relay", relayProgram, "the vantrel-relay program")->required()->check(CLI::ExistingFile);
    app.add_option("--data", dataDir, "the game's data directory")->required()->check(CLI::ExistingDirectory);
    app.add_option("--matches", matches, "two-player matches")->capture_default_str()->check(CLI::Range(1, 1000));
    app.add_option("--seconds", seconds, "measured seconds")->capture_default_str()->check(CLI::Range(1, 600));
    app.add_option("--port", port, "the relay's port on 127.0.0.1")
        ->capture_default_str()
        ->check(CLI::Range(1024, 65535));
    app.add_option("--mission", mission, "the mission flown")->capture_default_str()->check(CLI::Range(1, 5));
    CLI11_PARSE(app, argc, argv);

    RelayProcess relay;
    relay.log = "/tmp/relay-load-" + std::to_string(getpid()) + ".log";
    const std::string portText = std::to_string(port), limit = std::to_string(4 * matches + 16);
    const char* args[] = {relayProgram.c_str(), "--bind",
                          "127.0.0.1",          "--port",
                          portText.c_str(),     "--data",
                          dataDir.c_str(),      "--max-connections",
                          limit.c_str(),        "--max-per-address",
                          limit.c_str(),        nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, relay.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&relay.pid, relayProgram.c_str(), &actions, nullptr, const_cast<char**>(args), environ) != 0) {
        std::fprintf(stderr, "relay-load: %s cannot be started\n", relayProgram.c_str());
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (int wait = 0; wait < 300 && relay.logText().find("serving on") == std::string::npos; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (relay.logText().find("serving on") == std::string::npos) {
        std::fprintf(stderr, "relay-load: the relay did not start:\n%s", relay.logText().c_str());
        return 1;
    }

    std::string error;
    Load load;
    load.relay = {"127.0.0.1", port, ""};
    load.mission = mission;
    load.context = relay::ClientContext::create(error);
    net::Hello hello;
    hello.gameVersion = VANTREL_VERSION;
    if (!load.context || !net::hashDataDirectory(dataDir, hello.dataFiles, error)) {
        std::fprintf(stderr, "relay-load: %s\n", error.c_str());
        return 1;
    }
    // Matches open a few at a time, as players would arrive.
    const double warmUp = 3 + matches / 100.0;
    for (int i = 0; i < matches; ++i) {
        load.connect("", true);
        const Clock::time_point opened = Clock::now();
        while (secondsSince(opened) < warmUp / (2 * matches)) load.pass(hello);
    }
    while (secondsSince(load.began) < warmUp) load.pass(hello);

    load.measuring = true;
    const double cpuBefore = relay.cpuSeconds();
    const Clock::time_point measuredFrom = Clock::now();
    while (secondsSince(measuredFrom) < seconds) load.pass(hello);
    const double measured = secondsSince(measuredFrom);
    const double cpu = relay.cpuSeconds() - cpuBefore;

    std::vector<double> added;
    double up = 0, down = 0;
    int flying = 0, refused = 0;
    for (const auto& b : load.bots) {
        up += static_cast<double>(b->bytesUp);
        down += static_cast<double>(b->bytesDown);
        refused += !b->refused.empty();
        if (b->tickArrival.size() < 2) continue;
        ++flying;
        // The earliest tick against the 30 ms schedule is the relay adding nothing.
        double base = 1e9;
        for (const auto& [tick, at] : b->tickArrival) base = std::min(base, at - tick * 0.030);
        for (const auto& [tick, at] : b->tickArrival) added.push_back((at - tick * 0.030 - base) * 1000);
    }
    const std::size_t players = load.bots.size();
    std::printf("relay-load: %d matches, %d of %zu players flying mission %d for %.1f s, %d refused\n", matches, flying,
                players, mission, measured, refused);
    std::printf("relay CPU: %.1f %% of a core in all, %.3f %% a match (%.2f ms of CPU a match a second)\n",
                100 * cpu / measured, 100 * cpu / measured / matches, 1000 * cpu / measured / matches);
    std::printf("tick lateness beyond the relay's schedule: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                percentile(added, 0.5), percentile(added, 0.99), percentile(added, 1.0));
    std::printf("per player: %.0f B/s down, %.0f B/s up (WebSocket payload); input delay %d ms\n",
                down / static_cast<double>(players) / measured, up / static_cast<double>(players) / measured,
                load.bots.empty() ? 0 : load.bots.front()->delay * 30);
    kill(relay.pid, SIGTERM);
    waitpid(relay.pid, nullptr, 0);
    relay.pid = -1;
    const std::string log = relay.logText();
    const std::size_t line = log.find("ticks handed");
    if (line != std::string::npos) std::printf("relay's own count: %s", log.substr(line).c_str());
    return flying == static_cast<int>(players) ? 0 : 1;
}
