// Cross-play on 127.0.0.1: headless Chromium and the desktop game (offscreen) fly one match,
// straight to a relay that serves the page, and through nginx with TLS in front of two relays.
// The browser side and the desktop program are driven by crossplay.mjs; this side sets up the
// servers and judges the report and the relays' logs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "local_nginx.h"

namespace vantrel::relay::test {
namespace {

namespace fs = std::filesystem;

struct Report {
    std::string json;
    std::string field(const std::string& name) const {
        std::smatch m;
        const std::regex pattern("\"" + name + "\":\"([^\"]*)\"");
        return std::regex_search(json, m, pattern) ? m[1].str() : "";
    }
};

// Runs the browser and the desktop player against the page at url; the desktop joins with
// joinPrefix/CODE.
Report flyTogether(const std::string& url, const std::string& joinPrefix, const std::string& out,
                   const std::string& chromiumFlag = "") {
    const std::string command = "node " VANTREL_SOURCE_DIR "/tests/web/crossplay.mjs " + url + " " + joinPrefix +
                                " " VANTREL_GAME " " VANTREL_DATA_DIR " " + out + " " + chromiumFlag + " 2>" + out +
                                ".err";
    Report report;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return report;
    std::array<char, 65536> buffer;
    for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        report.json.append(buffer.data(), got);
    pclose(pipe);
    return report;
}

// The same World at the last tick on both, and the browser's player handed to the computer
// while their tab was hidden and back after.
void expectFlownTogether(const Report& r) {
    ASSERT_FALSE(r.field("code").empty()) << r.json;
    EXPECT_EQ(r.field("browserHash").size(), 16u) << r.json;
    EXPECT_EQ(r.field("browserHash"), r.field("desktopHash")) << r.json;
    EXPECT_NE(r.json.find("[\"hidden\",\"shown\"]"), std::string::npos) << r.json;
    EXPECT_NE(r.json.find("WEB IS AWAY: THE COMPUTER FLIES THEIR AIRCRAFT"), std::string::npos) << r.json;
    EXPECT_NE(r.json.find("WEB FLIES AGAIN"), std::string::npos) << r.json;
}

struct Relay : Process {
    int port = 0;
    bool start(const std::vector<std::string>& extra) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            port = testPort(attempt + static_cast<int>(random() % 97));
            std::vector<std::string> argv = {VANTREL_RELAY,        "--bind", "127.0.0.1",     "--port",
                                             std::to_string(port), "--data", VANTREL_DATA_DIR};
            argv.insert(argv.end(), extra.begin(), extra.end());
            if (!spawn(argv, fs::temp_directory_path() /
                                 ("crossplay-relay-" + std::to_string(getpid()) + "-" + std::to_string(port) + ".log")))
                return false;
            if (waitForLog("serving on", 3000)) return true;
            stop();
        }
        return false;
    }
};

TEST(CrossPlay, BrowserAndDesktopFlyOneMatchOnTheRelayServingThePage) {
    Relay relay;
    ASSERT_TRUE(relay.start({"--site", VANTREL_WEB_SITE})) << relay.logText();
    const std::string where = "127.0.0.1:" + std::to_string(relay.port);
    const Report r = flyTogether("http://" + where + "/", where, VANTREL_BINARY_DIR "/crossplay-direct");
    expectFlownTogether(r);
    relay.stop();
    const std::string log = relay.logText();
    EXPECT_NE(log.find("match " + r.field("code") + ": mission 3 started with 2 players"), std::string::npos) << log;
    EXPECT_NE(log.find(" 0 desyncs"), std::string::npos) << log;
}

TEST(CrossPlay, BrowserOverHttpsAndDesktopOverWssReachTheSameRelayBehindNginx) {
    if (std::system("command -v nginx >/dev/null && command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "nginx or openssl is not installed (scripts/install-deps --tests)";
    Relay relays[2];
    for (Relay& r : relays) ASSERT_TRUE(r.start({"--proxy", "127.0.0.1"})) << r.logText();
    LocalNginx nginx;
    const fs::path scratch = fs::temp_directory_path() / ("crossplay-nginx-" + std::to_string(getpid()));
    ASSERT_TRUE(nginx.start(VANTREL_SOURCE_DIR, scratch, {relays[0].port, relays[1].port}, 1024, VANTREL_WEB_SITE))
        << nginx.error;
    setenv("SSL_CERT_FILE", nginx.certificate().c_str(), 1);  // the desktop game's trust in the test's certificate
    const std::string where = "127.0.0.1:" + std::to_string(nginx.httpsPort);
    const Report r = flyTogether("https://" + where + "/", "wss://" + where, VANTREL_BINARY_DIR "/crossplay-nginx",
                                 "--ignore-certificate-errors");
    unsetenv("SSL_CERT_FILE");
    expectFlownTogether(r);
    int carried = 0;
    for (Relay& relay : relays) {
        relay.stop();
        const std::string log = relay.logText();
        const bool opened = log.find("match " + r.field("code") + ": opened") != std::string::npos;
        const bool flown =
            log.find("match " + r.field("code") + ": mission 3 started with 2 players") != std::string::npos;
        EXPECT_EQ(opened, flown) << "the match's players were split between relays:\n" << log;
        carried += flown;
    }
    EXPECT_EQ(carried, 1);
    nginx.stop();
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace vantrel::relay::test
