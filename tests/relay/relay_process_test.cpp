// The relay over real sockets on 127.0.0.1: the vantrel-relay program, and the relay the game
// hosts on a thread, with clients on the desktop transport, one of them a process killed with
// SIGKILL in the middle of a mission.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "net/data_files.h"
#include "real_network.h"
#include "relay/websocket_relay.h"

namespace vantrel::relay::test {
namespace {

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
    ASSERT_GT(doomed, 0);
    ASSERT_TRUE(startTogether({&host, &guest}, 3, 4));
    // The delay follows the measured round trip, which a loaded machine stretches; the in-process
    // network checks the choice itself. Here: everyone runs with the one the relay announced.
    EXPECT_EQ(guest.client.inputDelay(), host.client.inputDelay());

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
    const int status = relay.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
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
        hosted = HostedRelay::start(config, {"127.0.0.1", testPort(attempt + 20), "", "", ""}, error);
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

// The page's files and the matches share one port: files by their type, nothing outside the
// folder, no folder listings.
TEST(RelayProcess, ServesThePageAndItsMatchesOnOnePort) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / ("relay-site-" + std::to_string(getpid()));
    const fs::path site = root / "site";
    fs::create_directories(site / "keys");
    std::ofstream(site / "index.html") << "<title>vantrel</title>";
    std::ofstream(site / "vantrel.wasm") << std::string("\0asm\1\0\0\0", 8);
    std::ofstream(site / "vantrel.data") << "pack";
    std::ofstream(site / "keys" / "a.keys") << "10 Q";
    std::ofstream(root / "secret.txt") << "not for players";

    RelayProcess relay;
    ASSERT_TRUE(relay.start({"--site", site.string()})) << relay.logText();
    EXPECT_NE(relay.logText().find("?join=CODE"), std::string::npos) << relay.logText();
    const HttpReply index = httpGet(relay.port, "/");
    EXPECT_EQ(index.status, 200);
    EXPECT_EQ(index.body, "<title>vantrel</title>");
    EXPECT_NE(index.head.find("text/html"), std::string::npos) << index.head;
    const HttpReply wasm = httpGet(relay.port, "/vantrel.wasm");
    EXPECT_EQ(wasm.status, 200);
    EXPECT_NE(wasm.head.find("application/wasm"), std::string::npos) << wasm.head;
    EXPECT_EQ(wasm.body.size(), 8u);
    EXPECT_EQ(httpGet(relay.port, "/vantrel.data").status, 200);
    for (const char* refused : {"/keys/", "/keys", "/keys/a.keys", "/../secret.txt", "/%2e%2e/secret.txt",
                                "/keys/../../secret.txt", "/none.html"}) {
        const HttpReply reply = httpGet(relay.port, refused);
        EXPECT_GE(reply.status, 400) << refused;
        EXPECT_EQ(reply.body.find("not for players"), std::string::npos) << refused;
    }

    RealClient host({"127.0.0.1", relay.port, ""}, "host", true);
    ASSERT_TRUE(passUntil(
        {&host}, [&] { return !host.client.code().empty(); }, 3000))
        << host.client.closeReason();
    EXPECT_EQ(httpGet(relay.port, "/index.html").status, 200);  // still serving files beside the match
    fs::remove_all(root);
}

// What a public relay refuses, each with its reason, while a match on it flies on unharmed.
TEST(RelayProcess, LimitsRefuseWithAReasonWhileTheOthersFlyOn) {
    RelayProcess relay;
    ASSERT_TRUE(relay.start({"--max-matches", "1"})) << relay.logText();
    net::JoinAddress address{"127.0.0.1", relay.port, ""};
    RealClient host(address, "host", true);
    ASSERT_TRUE(passUntil(
        {&host}, [&] { return !host.client.code().empty(); }, 3000))
        << host.client.closeReason();
    address.code = host.client.code();
    RealClient guest(address, "guest", false);
    ASSERT_TRUE(startTogether({&host, &guest}, 2, 2));

    // Sends the messages on a connection of its own (after a hello), then reads until the relay
    // refuses and closes it, the flying players passing meanwhile.
    const auto refusalFor = [&](const std::string& code, bool hostNew, std::vector<net::Bytes> messages) {
        net::JoinAddress at = address;
        at.code = code;
        std::unique_ptr<WebSocketLink> link = WebSocketLink::connect(at);
        std::optional<net::Refusal> refusal;
        bool sent = false;
        passUntil(
            {&host, &guest},
            [&] {
                link->poll();
                if (!sent && link->state() == net::MessageLink::State::Open) {
                    link->send(net::encodeClientMessage(hello("x", hostNew)));
                    for (net::Bytes& m : messages) link->send(std::move(m));
                    sent = true;
                }
                net::Bytes bytes;
                while (link->receive(bytes)) {
                    net::RelayMessage m;
                    std::string error;
                    if (!net::decodeRelayMessage(bytes.data(), bytes.size(), m, error)) continue;
                    if (auto* r = std::get_if<net::Refusal>(&m)) refusal = *r;
                }
                return refusal.has_value() && link->state() == net::MessageLink::State::Closed;
            },
            3000);
        return refusal.value_or(net::Refusal{net::RefusalCode::Closing, "no refusal came"});
    };
    const net::Refusal flood =
        refusalFor(address.code, false, std::vector<net::Bytes>(400, net::encodeClientMessage(net::Pong{1})));
    EXPECT_EQ(flood.code, net::RefusalCode::Flood);
    EXPECT_EQ(flood.reason, "too many messages");
    const net::Refusal large =
        refusalFor(address.code, false, {net::Bytes(net::MAX_CLIENT_MESSAGE_BYTES + 1, net::Bytes::value_type{5})});
    EXPECT_EQ(large.code, net::RefusalCode::TooLarge);
    EXPECT_EQ(large.reason, "a message of 4097 bytes is too large");
    const net::Refusal full = refusalFor("", true, {});
    EXPECT_EQ(full.code, net::RefusalCode::RelayFull);
    EXPECT_EQ(full.reason, "this relay carries all the matches it can; try again later");

    const std::size_t before = guest.hashes.size();
    ASSERT_TRUE(passUntil(
        {&host, &guest}, [&] { return guest.hashes.size() > before + 30; }, 3000));
    EXPECT_EQ(host.client.phase(), net::ClientPhase::Mission);
    EXPECT_EQ(guest.client.phase(), net::ClientPhase::Mission);
    expectSameWorlds(host, guest);
    EXPECT_NE(relay.logText().find("refused a new match: all 1 are in use"), std::string::npos) << relay.logText();
}

}  // namespace
}  // namespace vantrel::relay::test
