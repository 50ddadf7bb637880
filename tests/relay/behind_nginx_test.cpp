// The public set-up: the deploy folder's nginx config, run by the test as an unprivileged
// process on high ports of 127.0.0.1 with a self-signed certificate, in front of two relay
// processes. Players join over wss; every connection of a match must reach the same relay.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "real_network.h"

namespace vantrel::relay::test {
namespace {

namespace fs = std::filesystem;

TEST(BehindNginx, EveryConnectionOfAMatchReachesTheSameRelayOverTls) {
    if (std::system("command -v nginx >/dev/null && command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "nginx or openssl is not installed (scripts/install-deps --tests)";
    const fs::path scratch = fs::path(testing::TempDir()) / ("behind-nginx-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    RelayProcess relays[2];
    for (RelayProcess& r : relays) ASSERT_TRUE(r.start({"--proxy", "127.0.0.1"})) << r.logText();
    LocalNginx nginx;
    ASSERT_TRUE(nginx.start(VANTREL_SOURCE_DIR, scratch, {relays[0].port, relays[1].port})) << nginx.error;
    setenv("SSL_CERT_FILE", nginx.certificate().c_str(), 1);

    // Plain http only sends players to https.
    const HttpReply plain = httpGet(nginx.httpPort, "/?join=K7QDXY");
    EXPECT_EQ(plain.status, 301);
    EXPECT_NE(plain.head.find("Location: https://127.0.0.1/?join=K7QDXY"), std::string::npos) << plain.head;

    // Hosts draw their codes: matches open until each relay carries one.
    const auto relayOf = [&](const std::string& code) {
        for (int i = 0; i < 2; ++i)
            if (relays[i].logText().find("match " + code + ": opened") != std::string::npos) return i;
        return -1;
    };
    std::unique_ptr<RealClient> hosts[2];
    std::string codeOn[2];
    std::mt19937_64 random(static_cast<uint64_t>(getpid()));
    for (int opened = 0; opened < 30 && (codeOn[0].empty() || codeOn[1].empty()); ++opened) {
        const std::string code = net::drawJoinCode([&] { return random(); });
        auto host =
            std::make_unique<RealClient>(net::JoinAddress{"127.0.0.1", nginx.httpsPort, code, true}, "host", true);
        RealClient& h = *host;
        ASSERT_TRUE(passUntil(
            {&h}, [&] { return h.client.code() == code; }, 5000))
            << h.client.closeReason() << "\n"
            << nginx.errors();
        const int relay = relayOf(code);
        ASSERT_NE(relay, -1);
        if (codeOn[relay].empty()) {
            codeOn[relay] = code;
            hosts[relay] = std::move(host);
        }
    }
    ASSERT_FALSE(codeOn[0].empty() || codeOn[1].empty()) << "every match hashed to one relay";

    // A guest of each match flies with its host: they reach the host's relay, or there would be
    // no such match to join.
    std::vector<std::unique_ptr<RealClient>> guests;
    for (int i = 0; i < 2; ++i)
        guests.push_back(std::make_unique<RealClient>(net::JoinAddress{"127.0.0.1", nginx.httpsPort, codeOn[i], true},
                                                      "guest", false));
    std::vector<RealClient*> everyone = {hosts[0].get(), hosts[1].get(), guests[0].get(), guests[1].get()};
    ASSERT_TRUE(passUntil(
        everyone,
        [&] { return hosts[0]->client.lobby().players.size() == 2 && hosts[1]->client.lobby().players.size() == 2; },
        5000))
        << guests[0]->client.closeReason() << guests[1]->client.closeReason();
    for (auto& h : hosts) h->client.startMission();
    ASSERT_TRUE(passUntil(
        everyone, [&] { return guests[0]->hashes.size() > 60 && guests[1]->hashes.size() > 60; }, 8000));
    for (int i = 0; i < 2; ++i) {
        expectSameWorlds(*hosts[i], *guests[i]);
        EXPECT_NE(relays[i].logText().find("match " + codeOn[i] + ": mission 1 started with 2 players"),
                  std::string::npos)
            << relays[i].logText();
        EXPECT_EQ(relays[1 - i].logText().find("match " + codeOn[i] + ": mission"), std::string::npos);
    }
    EXPECT_EQ(guests[0]->client.inputDelay(), hosts[0]->client.inputDelay());
    unsetenv("SSL_CERT_FILE");
    nginx.stop();
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace vantrel::relay::test
