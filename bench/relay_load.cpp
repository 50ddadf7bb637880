// relay-load: simulated players on real sockets against a vantrel-relay it starts on 127.0.0.1,
// N two-player matches flying the grand battle, for a bounded time, then it stops everything.
// With --nginx the players connect over wss to nginx running the deploy config in front of the
// relay, as on a public server. Reports the relay's CPU and memory per match, how late ticks
// reach the players beyond the relay's own 30 ms schedule (the delay the relay and nginx add,
// at most; the generator's own lateness is in it), bytes each way per player, the input delay
// and the relay's desyncs. Most players send keys but run no World; both players of the first
// --checked matches run the real client and World, so a desync would show.
// With --relay-cpu the relay gets one CPU to itself and the generator and nginx share the others,
// so the relay's figures are not those of a relay starved by its own load.
//   relay-load --relay build/vantrel-relay --data build/data [--matches 200] [--seconds 20] [--nginx]
//              [--relay-cpu 1]
#include <sched.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "local_nginx.h"
#include "net/data_files.h"
#include "net/lockstep_client.h"
#include "relay/websocket_link.h"

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

// A player running the real client and World, for the desync count.
struct Pilot {
    std::unique_ptr<relay::WebSocketLink> link;
    std::unique_ptr<net::LockstepClient> client;
    std::unique_ptr<World> world = std::make_unique<World>();
    uint8_t keys[256] = {};
    bool host = false;
    bool guestInvited = false;
    bool startAsked = false;  // once a mission, or the relay takes the repeats for a flood
};

struct Load {
    net::JoinAddress relay;
    std::shared_ptr<relay::ClientContext> context;
    std::vector<std::unique_ptr<Bot>> bots;
    std::vector<std::unique_ptr<Pilot>> pilots;
    std::string dataDir;
    Clock::time_point began = Clock::now();
    int mission = 5;
    bool measuring = false;
    std::mt19937_64 codes{std::random_device{}()};

    // Hosts draw their codes, as they must behind a web server that routes by them.
    std::string newCode() {
        return net::drawJoinCode([this] { return codes(); });
    }

    Pilot& fly(const std::string& code, bool host, const net::Hello& hello) {
        auto p = std::make_unique<Pilot>();
        net::JoinAddress at = relay;
        at.code = code;
        p->link = relay::WebSocketLink::connect(at, context);
        net::Hello h = hello;
        h.host = host;
        h.name = host ? "pilot" : "wingman";
        p->client = std::make_unique<net::LockstepClient>(*p->link, net::ClientSettings{dataDir, h}, nowMs());
        p->keys[VK_Q] = KEY_DOWN_BIT;
        p->host = host;
        pilots.push_back(std::move(p));
        return *pilots.back();
    }

    uint32_t nowMs() const {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count());
    }

    void passPilots(const net::Hello& hello) {
        for (std::size_t i = 0; i < pilots.size(); ++i) {
            Pilot& p = *pilots[i];
            p.client->update(nowMs());
            if (p.host && !p.guestInvited && !p.client->code().empty()) {
                p.guestInvited = true;
                fly(p.client->code(), false, hello);
            }
            if (p.client->phase() == net::ClientPhase::Mission) p.startAsked = false;
            if (p.host && !p.startAsked && p.client->phase() == net::ClientPhase::Lobby &&
                p.client->lobby().players.size() == 2 && !p.client->lobby().missionRunning) {
                p.startAsked = true;
                if (p.client->lobby().mission != mission) p.client->pickMission(mission);
                p.client->startMission();
            }
            while (p.client->runNextTick(*p.world, p.keys))
                p.keys[VK_NUMPAD4] = (p.client->lastTick() / 40) % 2 ? KEY_DOWN_BIT : 0;
        }
    }

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
        if (!b.started && b.link->state() == net::MessageLink::State::Closed) b.refused = b.link->closeReason();
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
        passPilots(hello);
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

// User and system CPU seconds of a process so far.
double cpuSeconds(pid_t pid) {
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

// Resident memory of a process in KiB.
double residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6));
    return 0;
}

// Puts every thread of a process (0: this one) on the given CPUs.
bool pinTo(pid_t pid, const std::vector<int>& cpus) {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu : cpus) CPU_SET(cpu, &set);
    const std::string tasks = "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks))
        if (sched_setaffinity(std::stoi(task.path().filename().string()), sizeof set, &set) != 0) return false;
    return true;
}

// Every CPU of the machine but one.
std::vector<int> allCpusBut(int cpu) {
    std::vector<int> others;
    for (int i = 0; i < static_cast<int>(std::thread::hardware_concurrency()); ++i)
        if (i != cpu) others.push_back(i);
    return others;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    using relay::test::LocalNginx;
    using relay::test::Process;
    CLI::App app{"relay-load: two-player matches of simulated players against a relay on 127.0.0.1"};
    std::string relayProgram, dataDir;
    int matches = 200, seconds = 20, port = 18931, mission = 5, checked = 4, relayCpu = -1;
    bool throughNginx = false;
    app.add_option("--relay", relayProgram, "the vantrel-relay program")->required()->check(CLI::ExistingFile);
    app.add_option("--data", dataDir, "the game's data directory")->required()->check(CLI::ExistingDirectory);
    app.add_option("--matches", matches, "two-player matches")->capture_default_str()->check(CLI::Range(1, 1000));
    app.add_option("--seconds", seconds, "measured seconds")->capture_default_str()->check(CLI::Range(1, 600));
    app.add_option("--port", port, "the relay's port on 127.0.0.1")
        ->capture_default_str()
        ->check(CLI::Range(1024, 65535));
    app.add_option("--mission", mission, "the mission flown")->capture_default_str()->check(CLI::Range(1, 5));
    app.add_option("--checked", checked, "matches whose players run the real client and World")
        ->capture_default_str()
        ->check(CLI::Range(0, 50));
    app.add_flag("--nginx", throughNginx, "connect over wss through nginx running the deploy config");
    app.add_option("--relay-cpu", relayCpu, "a CPU for the relay alone; the generator and nginx take the others")
        ->check(CLI::Range(0, static_cast<int>(std::thread::hardware_concurrency()) - 1));
    CLI11_PARSE(app, argc, argv);
    if (relayCpu >= 0 && std::thread::hardware_concurrency() < 2) {
        std::fprintf(stderr, "relay-load: --relay-cpu needs a machine of two CPUs or more\n");
        return 1;
    }
    checked = std::min(checked, matches);

    Process relay;
    const std::string limit = std::to_string(4 * matches + 16);
    if (!relay.spawn({relayProgram, "--bind", "127.0.0.1", "--port", std::to_string(port), "--data", dataDir, "--proxy",
                      "127.0.0.1", "--max-matches", limit, "--max-connections", limit, "--max-per-address", limit,
                      "--max-connects-per-minute", limit},
                     "/tmp/relay-load-" + std::to_string(getpid()) + ".log") ||
        !relay.waitForLog("serving on", 3000)) {
        std::fprintf(stderr, "relay-load: the relay did not start:\n%s", relay.logText().c_str());
        return 1;
    }
    const double idleKiB = residentKiB(relay.pid);

    std::string error;
    Load load;
    load.relay = {"127.0.0.1", port, ""};
    LocalNginx nginx;
    if (throughNginx) {
        const std::filesystem::path scratch = "/tmp/relay-load-nginx-" + std::to_string(getpid());
        if (!nginx.start(VANTREL_SOURCE_DIR, scratch, {port}, 4 * matches + 64)) {
            std::fprintf(stderr, "relay-load: %s\n", nginx.error.c_str());
            return 1;
        }
        setenv("SSL_CERT_FILE", nginx.certificate().c_str(), 1);
        load.relay = {"127.0.0.1", nginx.httpsPort, "", true};
    }
    if (relayCpu >= 0 && !(pinTo(relay.pid, {relayCpu}) && pinTo(0, allCpusBut(relayCpu)) &&
                           (!throughNginx || pinTo(nginx.pid, allCpusBut(relayCpu))))) {
        std::fprintf(stderr, "relay-load: could not give the relay CPU %d: %s\n", relayCpu, std::strerror(errno));
        return 1;
    }
    load.mission = mission;
    load.dataDir = dataDir;
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
        if (i < checked) {
            load.fly(load.newCode(), true, hello);
        } else {
            load.connect(load.newCode(), true);
        }
        const Clock::time_point opened = Clock::now();
        while (secondsSince(opened) < warmUp / (2 * matches)) load.pass(hello);
    }
    while (secondsSince(load.began) < warmUp) load.pass(hello);

    load.measuring = true;
    const double cpuBefore = cpuSeconds(relay.pid), ownCpuBefore = cpuSeconds(getpid()),
                 nginxCpuBefore = throughNginx ? cpuSeconds(nginx.pid) : 0;
    const Clock::time_point measuredFrom = Clock::now();
    while (secondsSince(measuredFrom) < seconds) load.pass(hello);
    const double measured = secondsSince(measuredFrom);
    const double cpu = cpuSeconds(relay.pid) - cpuBefore, ownCpu = cpuSeconds(getpid()) - ownCpuBefore,
                 nginxCpu = throughNginx ? cpuSeconds(nginx.pid) - nginxCpuBefore : 0;
    const double loadedKiB = residentKiB(relay.pid);

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
    int pilotsFlying = 0;
    for (const auto& p : load.pilots) pilotsFlying += p->client->lastTick() > 0;
    const std::size_t players = load.bots.size() + load.pilots.size();
    const std::size_t bots = std::max<std::size_t>(load.bots.size(), 1);
    std::printf("relay-load: %d matches%s, %d of %zu players flying mission %d for %.1f s, %d refused\n", matches,
                throughNginx ? " through nginx (wss)" : "", flying + pilotsFlying, players, mission, measured, refused);
    std::printf("relay CPU: %.1f %% of a core in all, %.3f %% a match (%.2f ms of CPU a match a second)\n",
                100 * cpu / measured, 100 * cpu / measured / matches, 1000 * cpu / measured / matches);
    std::printf("load generator CPU: %.1f %% of a core; nginx: %.1f %%\n", 100 * ownCpu / measured,
                100 * nginxCpu / measured);
    std::printf("relay memory: %.1f MiB idle, %.1f MiB loaded, %.0f KiB a match\n", idleKiB / 1024, loadedKiB / 1024,
                (loadedKiB - idleKiB) / matches);
    std::printf("tick lateness beyond the relay's schedule: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                percentile(added, 0.5), percentile(added, 0.99), percentile(added, 1.0));
    std::printf("per player: %.0f B/s down, %.0f B/s up (WebSocket payload); input delay %d ms\n",
                down / static_cast<double>(bots) / measured, up / static_cast<double>(bots) / measured,
                load.bots.empty() ? 0 : load.bots.front()->delay * 30);
    relay.stop();
    nginx.stop();
    if (throughNginx) std::filesystem::remove_all(nginx.dir);
    const std::string log = relay.logText();
    const std::size_t line = log.find("ticks handed");
    if (line != std::string::npos) std::printf("relay's own count: %s", log.substr(line).c_str());
    return flying + pilotsFlying == static_cast<int>(players) ? 0 : 1;
}
