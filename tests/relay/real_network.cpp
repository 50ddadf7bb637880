#include "real_network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "net/data_files.h"

extern char** environ;

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

int testPort(int attempt) { return 20000 + (getpid() * 7 + attempt * 131) % 30000; }

Process::~Process() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool Process::spawn(const std::vector<std::string>& argv, const std::string& logPath) {
    log = logPath;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) pid = -1;
    return failed == 0;
}

std::string Process::logText() const {
    std::ifstream file(log);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Process::waitForLog(const std::string& text, int ms) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (logText().find(text) != std::string::npos) return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int Process::stop() {
    if (pid <= 0) return -1;  // never kill(-1): that signals every process
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return status;
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

HttpReply httpGet(int port, const std::string& path) {
    HttpReply reply;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return reply;
    }
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        close(fd);
        return reply;
    }
    std::string text;
    char buffer[65536];
    // Until the server closes, or the body its Content-Length names is in.
    const auto complete = [&text] {
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::size_t headEnd = lower.find("\r\n\r\n");
        const std::size_t length = lower.find("content-length: ");
        return headEnd != std::string::npos && length != std::string::npos && length < headEnd &&
               text.size() >= headEnd + 4 + std::stoul(lower.substr(length + 16));
    };
    for (ssize_t got; !complete() && (got = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(fd);
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) return reply;
    reply.status = std::stoi(text.substr(9, 3));
    reply.head = text.substr(0, headEnd);
    reply.body = text.substr(headEnd + 4);
    return reply;
}

}  // namespace vantrel::relay::test
