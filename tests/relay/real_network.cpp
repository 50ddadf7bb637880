#include "real_network.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "net/data_files.h"

namespace vantrel::relay::test {

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

RealClient::RealClient(const net::JoinAddress& address, const std::string& name, bool host)
    : link(WebSocketLink::connect(address)),
      client(*link, net::ClientSettings{VANTREL_DATA_DIR, hello(name, host)}, clockMs()),
      world(std::make_unique<World>()) {
    keys[VK_Q] = KEY_DOWN_BIT;
}

void RealClient::pass() {
    client.update(clockMs());
    while (client.runNextTick(*world, keys)) {
        hashes[client.lastTick()] = hashWorld(*world);
        keys[VK_NUMPAD4] = (client.lastTick() / 40) % 2 ? KEY_DOWN_BIT : 0;
    }
    for (net::Notice& n : client.takeNotices()) notices.push_back(n);
    for (net::DesyncReport& r : client.takeDesyncReports()) reports.push_back(r);
}

bool startTogether(const std::vector<RealClient*>& players, std::size_t lobbySize, int mission) {
    net::LockstepClient& host = players.front()->client;
    if (!passUntil(
            players, [&] { return host.lobby().players.size() == lobbySize; }, 5000))
        return false;
    host.pickMission(mission);
    if (!passUntil(
            players, [&] { return host.lobby().mission == mission; }, 2000))
        return false;
    host.startMission();
    const auto flown = [](const RealClient* p) { return p->hashes.size() > 30; };
    return passUntil(
        players, [&] { return std::all_of(players.begin(), players.end(), flown); }, 5000);
}

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

bool RelayProcess::start(const std::vector<std::string>& extra) {
    const std::string logPath = std::string(VANTREL_BINARY_DIR) + "/relay-test-" + std::to_string(getpid()) + "-" +
                                std::to_string(clockMs() % 100000) + ".log";
    for (int attempt = 0; attempt < 8; ++attempt) {
        port = testPort(attempt + static_cast<int>(clockMs() % 97));
        std::vector<std::string> argv = {std::string(VANTREL_BINARY_DIR) + "/vantrel-relay",
                                         "--bind",
                                         "127.0.0.1",
                                         "--port",
                                         std::to_string(port),
                                         "--data",
                                         VANTREL_DATA_DIR};
        argv.insert(argv.end(), extra.begin(), extra.end());
        if (!spawn(argv, logPath)) return false;
        if (waitForLog("serving on", 2000)) return true;
        if (pid > 0) stop();
    }
    return false;
}

}  // namespace vantrel::relay::test
