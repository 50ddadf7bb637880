// Players, relays and web servers as real programs and sockets on 127.0.0.1, for the tests that
// fly over real connections.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/lockstep_client.h"
#include "relay/websocket_link.h"

namespace vantrel::relay::test {

uint32_t clockMs();

// A hello from this build, hosting or joining.
net::Hello hello(const std::string& name, bool host);

// A player's program: the desktop transport, the lockstep client, a World and a few held keys.
struct RealClient {
    RealClient(const net::JoinAddress& address, const std::string& name, bool host);
    void pass();

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

// The ticks both ran have the same Worlds, and neither was repaired.
void expectSameWorlds(const RealClient& a, const RealClient& b);

// A port for this test run, away from other runs' on the same machine.
int testPort(int attempt);

// A program of the build run in the background, its standard error in a log; killed when the
// object goes, should the test not stop it.
struct Process {
    pid_t pid = -1;
    std::string log;
    ~Process();
    bool spawn(const std::vector<std::string>& argv, const std::string& logPath);
    std::string logText() const;
    // Waits for text in the log; false when the program ended or ms passed first.
    bool waitForLog(const std::string& text, int ms);
    // SIGTERM, then the exit status.
    int stop();
};

// vantrel-relay on 127.0.0.1 at a free port, with extra options.
struct RelayProcess : Process {
    int port = 0;
    bool start(const std::vector<std::string>& extra = {});
};

// One HTTP/1.1 GET on 127.0.0.1, sent as written (no cleaning of the path): the status code
// and the headers and body as text.
struct HttpReply {
    int status = 0;
    std::string head, body;
};
HttpReply httpGet(int port, const std::string& path);

}  // namespace vantrel::relay::test
