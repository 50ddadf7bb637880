// The public set-up: the deploy folder's nginx config, run by the test as an unprivileged
// process on high ports of 127.0.0.1 with a self-signed certificate, in front of two relay
// processes. Players join over wss; every connection of a match must reach the same relay.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "real_network.h"

namespace vantrel::relay::test {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    ASSERT_NE(text.find(from), std::string::npos) << "the deploy config no longer holds: " << from;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

// nginx with the deploy config, its addresses, certificate, page and relays swapped for the
// test's; as root it drops to the nobody user first.
struct Nginx : Process {
    fs::path dir;
    int httpPort = 0, httpsPort = 0;

    bool start(const fs::path& scratch, const std::vector<int>& relayPorts) {
        dir = scratch;
        fs::create_directories(dir / "site");
        fs::create_directories(dir / "acme");
        std::ofstream(dir / "site" / "index.html") << "<title>vantrel</title>";
        const std::string certificate =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
            "-addext subjectAltName=IP:127.0.0.1 -keyout " +
            (dir / "key.pem").string() + " -out " + (dir / "cert.pem").string() + " 2>/dev/null";
        if (std::system(certificate.c_str()) != 0) return false;
        std::string site = readText(fs::path(VANTREL_SOURCE_DIR) / "deploy" / "nginx" / "vantrel.conf");
        for (int attempt = 0; attempt < 8; ++attempt) {
            httpPort = testPort(attempt + 40);
            httpsPort = testPort(attempt + 50);
            std::string conf = site;
            replaceAll(conf, "listen [::]:80;", "");
            replaceAll(conf, "listen [::]:443 ssl http2;", "");
            replaceAll(conf, "listen 80;", "listen 127.0.0.1:" + std::to_string(httpPort) + ";");
            replaceAll(conf, "listen 443 ssl", "listen 127.0.0.1:" + std::to_string(httpsPort) + " ssl");
            replaceAll(conf, "/etc/letsencrypt/live/play.example.org/fullchain.pem", (dir / "cert.pem").string());
            replaceAll(conf, "/etc/letsencrypt/live/play.example.org/privkey.pem", (dir / "key.pem").string());
            replaceAll(conf, "/var/lib/vantrel/site", (dir / "site").string());
            replaceAll(conf, "/var/www/html", (dir / "acme").string());
            replaceAll(conf, "server 127.0.0.1:8031;", "server 127.0.0.1:" + std::to_string(relayPorts[0]) + ";");
            replaceAll(conf, "server 127.0.0.1:8032;", "server 127.0.0.1:" + std::to_string(relayPorts[1]) + ";");
            std::ofstream(dir / "vantrel.conf") << conf;
            std::ofstream(dir / "nginx.conf")
                << "daemon off;\nmaster_process off;\nworker_processes 1;\npid " << (dir / "nginx.pid").string()
                << ";\nerror_log " << (dir / "error.log").string() << " warn;\nevents { worker_connections 1024; }\n"
                << "http {\n  access_log off;\n  client_body_temp_path " << (dir / "tmp").string()
                << ";\n  proxy_temp_path " << (dir / "tmp").string() << ";\n  fastcgi_temp_path "
                << (dir / "tmp").string() << ";\n  uwsgi_temp_path " << (dir / "tmp").string() << ";\n  scgi_temp_path "
                << (dir / "tmp").string() << ";\n  include " << (dir / "vantrel.conf").string() << ";\n}\n";
            fs::permissions(dir, fs::perms::all, fs::perm_options::add);
            for (const auto& entry : fs::recursive_directory_iterator(dir))
                fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
            if (!spawnUnprivileged()) return false;
            if (waitUntilListening()) return true;
            stop();
        }
        return false;
    }

    bool spawnUnprivileged() {
        log = (dir / "stderr.log").string();
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            dup2(out, 2);
            if (getuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(126);
            }
            const std::string prefix = dir.string() + "/", conf = (dir / "nginx.conf").string(),
                              errors = (dir / "error.log").string();
            execlp("nginx", "nginx", "-p", prefix.c_str(), "-e", errors.c_str(), "-c", conf.c_str(), nullptr);
            _exit(127);
        }
        return true;
    }

    bool waitUntilListening() {
        for (int waited = 0; waited < 3000; waited += 20) {
            if (httpGet(httpPort, "/").status != 0) return true;
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string errors() const { return readText(dir / "error.log") + logText(); }
};

TEST(BehindNginx, EveryConnectionOfAMatchReachesTheSameRelayOverTls) {
    if (std::system("command -v nginx >/dev/null && command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "nginx or openssl is not installed (scripts/install-deps --tests)";
    const fs::path scratch = fs::path(testing::TempDir()) / ("behind-nginx-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    RelayProcess relays[2];
    for (RelayProcess& r : relays) ASSERT_TRUE(r.start({"--proxy", "127.0.0.1"})) << r.logText();
    Nginx nginx;
    ASSERT_TRUE(nginx.start(scratch, {relays[0].port, relays[1].port})) << nginx.errors();
    setenv("SSL_CERT_FILE", (scratch / "cert.pem").c_str(), 1);

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
    EXPECT_EQ(hosts[0]->client.inputDelay(), 2);  // TLS and a proxy on the way still make a LAN's delay
    unsetenv("SSL_CERT_FILE");
    nginx.stop();
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace vantrel::relay::test
