// Players and relays as real programs and sockets on 127.0.0.1, for the tests that
// fly over real connections.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "local_nginx.h"
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

// The host (players[0]) waits until lobbySize players are in its lobby, picks the mission and
// starts it; true once every one of players has flown 30 ticks of it.
bool startTogether(const std::vector<RealClient*>& players, std::size_t lobbySize, int mission);

// The ticks both ran have the same Worlds, and neither was repaired.
void expectSameWorlds(const RealClient& a, const RealClient& b);

// vantrel-relay on 127.0.0.1 at a free port, with extra options.
struct RelayProcess : Process {
    int port = 0;
    bool start(const std::vector<std::string>& extra = {});
};

}  // namespace vantrel::relay::test
