// Network play between real programs on 127.0.0.1: one hosts (the relay on a thread of its
// own), the others join with the line it prints, and all fly one mission from key scripts. A
// player killed with SIGKILL in the middle of it hands the aircraft to the computer, and the
// others end with the same World.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

constexpr int MISSION_TICKS = 500;
constexpr int TIMEOUT_SECONDS = 120;

std::vector<std::string> player(const std::string& name, const std::string& keys) {
    const std::string dir = test::freshDir("net-" + name);
    test::writeText(dir + "/keys", keys);
    return {"--window",       "--no-sound", "--fps", "8",       "--data",
            VANTREL_DATA_DIR, "--name",     name,    "--input", dir + "/keys"};
}

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const std::vector<std::string> OFFSCREEN = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

TEST(NetworkRun, PlayersFlyOneWorldAndAKilledPlayersAircraftGoesToTheComputer) {
    const std::string ticks = std::to_string(MISSION_TICKS);
    const std::string recording = test::freshDir("net-recording") + "/match.txt";
    const test::Started host =
        test::startVantrel(with(player("HOST", "1-200 NUMPAD5 Z Q\n201-350 NUMPAD4 X\n351-500 NUMPAD9 Z F2\n"),
                                {"--host", "--port", "0", "--start-with", "3", "--mission", "4", "--quit-after", ticks,
                                 "--print-hash", "--record", recording}),
                           OFFSCREEN);
    const std::string line = test::awaitLine(host, "others join with: vantrel --join ", 30);
    ASSERT_FALSE(line.empty()) << test::readText(host.errFile);
    const std::string address = "127.0.0.1:" + line.substr(line.rfind(':') + 1);

    const test::Started wingman =
        test::startVantrel(with(player("WING", "1-150 NUMPAD8 Z\n151-300 NUMPAD6 X A\n301-500 Z F3 F1\n"),
                                {"--join", address, "--quit-after", ticks, "--print-hash"}),
                           OFFSCREEN);
    const test::Started doomed =
        test::startVantrel(with(player("GONE", "1-500 Z NUMPAD4\n"), {"--join", address}), OFFSCREEN);
    for (int waited = 0; waited < 60 && test::readText(host.errFile).find("started with 3") == std::string::npos;
         ++waited) {
        sleep(1);
    }
    sleep(4);  // about a quarter of the mission flown
    kill(doomed.pid, SIGKILL);
    test::finish(doomed, 5);

    const test::RunResult hosted = test::finish(host, TIMEOUT_SECONDS);
    const test::RunResult joined = test::finish(wingman, TIMEOUT_SECONDS);
    ASSERT_EQ(hosted.exitCode, 1) << hosted.err;
    ASSERT_EQ(joined.exitCode, 1) << joined.err;
    EXPECT_NE(hosted.err.find("mission 4 started with 3 players"), std::string::npos) << hosted.err;
    EXPECT_FALSE(test::worldHashOf(hosted).empty()) << hosted.out;
    EXPECT_EQ(test::worldHashOf(hosted), test::worldHashOf(joined)) << "the host and the wingman flew apart";
    EXPECT_NE(joined.err.find("GONE DROPPED: THE COMPUTER FLIES THEIR AIRCRAFT"), std::string::npos) << joined.err;
    EXPECT_NE(hosted.err.find(" 0 desyncs"), std::string::npos) << hosted.err;
    EXPECT_EQ(hosted.err.find("desync report"), std::string::npos) << hosted.err;

    // The host's recording replays the match exactly, in the game and in vantrel-sim.
    const test::RunResult replayed = test::runVantrel(
        {"--window", "--no-sound", "--fast", "--data", VANTREL_DATA_DIR, "--input", recording, "--print-hash"},
        OFFSCREEN);
    EXPECT_EQ(test::worldHashOf(replayed), test::worldHashOf(hosted)) << replayed.err;
    const std::string json = test::freshDir("net-sim") + "/world.json";
    ASSERT_EQ(
        std::system((std::string(VANTREL_SIM) + " --data " + VANTREL_DATA_DIR + " --match " + recording + " > " + json)
                        .c_str()),
        0);
    EXPECT_NE(test::readText(json).find("\"tick\":" + ticks + ","), std::string::npos);
}

// A proxy between a player and the relay, killed and started again on the same port: the
// player's connection breaks as a network cut would.
test::Started proxy(const std::string& listenPort, const std::string& relayPort) {
    return test::startCommand(std::string("python3 ") + TCP_PROXY + " " + listenPort + " " + relayPort);
}

TEST(NetworkRun, APlayerWhoseConnectionBreaksComesBackToTheSameWorld) {
    const std::string ticks = std::to_string(MISSION_TICKS);
    const test::Started host = test::startVantrel(
        with(player("HOST", "1-500 NUMPAD5 Z\n"),
             {"--host", "--port", "0", "--start-with", "2", "--mission", "3", "--quit-after", ticks, "--print-hash"}),
        OFFSCREEN);
    const std::string line = test::awaitLine(host, "others join with: vantrel --join ", 30);
    ASSERT_FALSE(line.empty()) << test::readText(host.errFile);
    const std::string portAndCode = line.substr(line.rfind(':') + 1);
    const std::string relayPort = portAndCode.substr(0, portAndCode.find('/'));
    const std::string code = portAndCode.substr(portAndCode.find('/') + 1);
    test::Started cut = proxy("0", relayPort);
    const std::string proxyPort = test::awaitLine(cut, "", 10);
    ASSERT_FALSE(proxyPort.empty()) << test::readText(cut.errFile);

    const test::Started wingman = test::startVantrel(
        with(player("WING", "1-500 NUMPAD4 X\n"),
             {"--join", "127.0.0.1:" + proxyPort + "/" + code, "--quit-after", ticks, "--print-hash"}),
        OFFSCREEN);
    for (int waited = 0; waited < 60 && test::readText(host.errFile).find("started with 2") == std::string::npos;
         ++waited) {
        sleep(1);
    }
    sleep(3);
    kill(cut.pid, SIGKILL);
    test::finish(cut, 5);
    sleep(2);
    const test::Started mended = proxy(proxyPort, relayPort);

    const test::RunResult hosted = test::finish(host, TIMEOUT_SECONDS);
    const test::RunResult joined = test::finish(wingman, TIMEOUT_SECONDS);
    kill(mended.pid, SIGKILL);
    test::finish(mended, 5);
    EXPECT_NE(hosted.err.find("WING IS BACK"), std::string::npos) << hosted.err;
    EXPECT_EQ(joined.exitCode, 1) << joined.err;
    EXPECT_FALSE(test::worldHashOf(joined).empty()) << joined.out << joined.err;
    EXPECT_EQ(test::worldHashOf(hosted), test::worldHashOf(joined)) << joined.err;
}

TEST(NetworkRun, AWrongCodeOrNoRelayEndsOnTheTitleWithTheReason) {
    const test::RunResult noRelay = test::runVantrel(
        {"--window", "--no-sound", "--data", VANTREL_DATA_DIR, "--join", "127.0.0.1:9/ABCDEF", "--quit-after", "1"},
        OFFSCREEN);
    EXPECT_NE(noRelay.err.find("the network game ended"), std::string::npos) << noRelay.err;
    const test::RunResult badCode = test::runVantrel(
        {"--window", "--no-sound", "--data", VANTREL_DATA_DIR, "--join", "127.0.0.1:8031/AB", "--quit-after", "1"},
        OFFSCREEN);
    EXPECT_NE(badCode.err.find("not a join code"), std::string::npos) << badCode.err;
    EXPECT_EQ(badCode.exitCode, 1);
}

}  // namespace
}  // namespace vantrel
