// The relay over real sockets on 127.0.0.1: the vantrel-relay program, and the relay the game
// hosts on a thread, with clients on the desktop transport, one of them a process killed with
// SIGKILL in the middle of a mission.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "net/data_files.h"
#include "net/lockstep_client.h"
#include "relay/websocket_link.h"
#include "relay/websocket_relay.h"

extern char** environ;

namespace vantrel::relay {
namespace {

uint32_t clockMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

net::Hello hello(const std::string& name, bool host) {
    net::Hello h;
    h.gameVersion = VANTREL_VERSION;
    std::string error;
    EXPECT_TRUE(net::hashDataDirectory(VANTREL_DATA_DIR, h.dataFiles, error)) << error;
    h.name = name;
    h.host = host;
    return h;
}

// A player's program: the desktop transport, the lockstep client, a World and a few held keys.
struct RealClient {
    RealClient(const net::JoinAddress& address, const std::string& name, bool host)
        : link(WebSocketLink::connect(address)),
          client(*link, net::ClientSettings{VANTREL_DATA_DIR, hello(name, host)}, clockMs()),
          world(std::make_unique<World>()) {
        keys[VK_Q] = KEY_DOWN_BIT;
    }
    void pass() {
        client.update(clockMs());
        while (client.runNextTick(*world, keys)) {
            hashes[client.lastTick()] = hashWorld(*world);
            keys[VK_NUMPAD4] = (client.lastTick() / 40) % 2 ? KEY_DOWN_BIT : 0;
        }
        for (net::Notice& n : client.takeNotices()) notices.push_back(n);
        for (net::DesyncReport& r : client.takeDesyncReports()) reports.push_back(r);
    }
    std::unique_ptr<WebSocketLink> link;
    net::LockstepClient client;
    std::unique_ptr<World> world;
    uint8_t keys[256] = {};
    std::map<uint32_t, uint64_t> hashes;
    std::vector<net::Notice> notices;
    std::vector<net::DesyncReport> reports;
};

template <class Condition>
bool passUntil(std::vector<RealClient*> clients, Condition done, int ms) {
    const uint32_t until = clockMs() + static_cast<uint32_t>(ms);
    while (static_cast<int32_t>(until - clockMs()) > 0) {
        for (RealClient* c : clients) c->pass();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// The ticks both ran have the same Worlds.
void expectSameWorlds(const RealClient& a, const RealClient& b) {
    int compared = 0;
    for (const auto& [tick, hash] : a.hashes) {
        const auto other = b.hashes.find(tick);
        if (other == b.hashes.end()) continue;
        ++compared;
        ASSERT_EQ(hash, other->second) << "tick " << tick;
    }
    EXPECT_GT(compared, 30);
    EXPECT_TRUE(a.reports.empty());
    EXPECT_TRUE(b.reports.empty());
}

// A port for this test run, away from other runs' on the same machine.
int testPort(int attempt) { return 20000 + (getpid() * 7 + attempt * 131) % 30000; }

struct RelayProcess {
    pid_t pid = -1;
    int port = 0;
    std::string log;
    ~RelayProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // Starts vantrel-relay on 127.0.0.1; true once it listens.
    bool start() {
        log = std::string(VANTREL_BINARY_DIR) + "/relay-test-" + std::to_string(getpid()) + ".log";
        for (int attempt = 0; attempt < 8; ++attempt) {
            port = testPort(attempt);
            const std::string portText = std::to_string(port);
            const std::string program = std::string(VANTREL_BINARY_DIR) + "/vantrel-relay";
            const char* argv[] = {program.c_str(),  "--bind", "127.0.0.1",      "--port",
                                  portText.c_str(), "--data", VANTREL_DATA_DIR, nullptr};
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
            posix_spawn_file_actions_destroy(&actions);
            if (failed != 0) return false;
            for (int wait = 0; wait < 200; ++wait) {
                if (logText().find("serving on") != std::string::npos) return true;
                if (waitpid(pid, nullptr, WNOHANG) == pid) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            pid = -1;
        }
        return false;
    }
    std::string logText() const {
        std::ifstream file(log);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    int stop() {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }
};

// A client in a process of its own, flying until it is killed.
pid_t forkClient(const net::JoinAddress& address) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    RealClient c(address, "doomed", false);
    const uint32_t until = clockMs() + 60000;  // ends by itself should the test not kill it
    while (static_cast<int32_t>(until - clockMs()) > 0 && c.client.phase() != net::ClientPhase::Closed) {
        c.pass();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    _exit(0);
}

TEST(RelayProcess, ClientsFlyTogetherAndAKilledOneGoesToTheComputer) {
    RelayProcess relay;
    ASSERT_TRUE(relay.start()) << relay.logText();
    net::JoinAddress address{"127.0.0.1", relay.port, ""};
    RealClient host(address, "host", true);
    ASSERT_TRUE(passUntil(
        {&host}, [&] { return !host.client.code().empty(); }, 3000))
        << host.client.closeReason();
    address.code = host.client.code();
    RealClient guest(address, "guest", false);
    const pid_t doomed = forkClient(address);
    ASSERT_TRUE(passUntil(
        {&host, &guest}, [&] { return host.client.lobby().players.size() == 3; }, 5000));
    host.client.pickMission(4);
    ASSERT_TRUE(passUntil(
        {&host, &guest}, [&] { return host.client.lobby().mission == 4; }, 2000));
    host.client.startMission();
    ASSERT_TRUE(passUntil(
        {&host, &guest}, [&] { return guest.hashes.size() > 60; }, 5000));
    EXPECT_EQ(host.client.inputDelay(), 2);  // a LAN's

    kill(doomed, SIGKILL);
    waitpid(doomed, nullptr, 0);
    const int doomedSeat = 2;
    ASSERT_NE(host.client.seatSlot(doomedSeat), net::NO_SLOT);
    ASSERT_TRUE(passUntil(
        {&host, &guest}, [&] { return host.client.seatSlot(doomedSeat) == net::NO_SLOT; }, 1500));
    passUntil(
        {&host, &guest}, [] { return false; }, 1000);
    expectSameWorlds(host, guest);
    bool dropped = false;
    for (const net::Notice& n : guest.notices) dropped |= n.kind == net::NoticeKind::Dropped && n.seat == doomedSeat;
    EXPECT_TRUE(dropped);

    host.client.leave();
    guest.client.leave();
    passUntil(
        {&host, &guest}, [] { return false; }, 200);
    EXPECT_EQ(WEXITSTATUS(relay.stop()), 0);
    const std::string log = relay.logText();
    EXPECT_NE(log.find("mission 4 started with 3 players"), std::string::npos) << log;
    EXPECT_NE(log.find("stopped"), std::string::npos) << log;
}

TEST(RelayProcess, TheGameHostsARelayOnAThreadAndRefusesAnotherGamesData) {
    net::RelayConfig config;
    config.dataDir = VANTREL_DATA_DIR;
    config.gameVersion = VANTREL_VERSION;
    std::string error;
    ASSERT_TRUE(net::hashDataDirectory(config.dataDir, config.dataFiles, error));
    config.random = systemRandom();
    std::unique_ptr<HostedRelay> hosted;
    for (int attempt = 0; !hosted && attempt < 8; ++attempt)
        hosted = HostedRelay::start(config, {"127.0.0.1", testPort(attempt + 20), ""}, error);
    ASSERT_TRUE(hosted) << error;
    net::JoinAddress address{"127.0.0.1", hosted->port(), ""};
    RealClient host(address, "host", true);
    ASSERT_TRUE(passUntil(
        {&host}, [&] { return !host.client.code().empty(); }, 3000))
        << host.client.closeReason();
    address.code = host.client.code();

    net::Hello modded = hello("modder", false);
    modded.dataFiles[0].hash ^= 1;
    auto link = WebSocketLink::connect(address);
    net::LockstepClient refused(*link, net::ClientSettings{VANTREL_DATA_DIR, modded}, clockMs());
    ASSERT_TRUE(passUntil(
        {&host},
        [&] {
            refused.update(clockMs());
            return refused.phase() == net::ClientPhase::Closed;
        },
        3000));
    EXPECT_EQ(refused.closeReason(), "game data differs from the relay's: " + modded.dataFiles[0].name + " differs");

    // Nobody listens on a port that is shut: the player reads why.
    hosted.reset();
    auto nowhere = WebSocketLink::connect(address);
    net::LockstepClient lost(*nowhere, net::ClientSettings{VANTREL_DATA_DIR, hello("x", false)}, clockMs());
    ASSERT_TRUE(passUntil(
        {&host},
        [&] {
            lost.update(clockMs());
            return lost.phase() == net::ClientPhase::Closed && host.client.phase() == net::ClientPhase::Closed;
        },
        6000));
    EXPECT_EQ(lost.closeReason().rfind("cannot connect to 127.0.0.1:" + std::to_string(address.port), 0), 0u)
        << lost.closeReason();
    EXPECT_FALSE(host.client.closeReason().empty());
}

}  // namespace
}  // namespace vantrel::relay
