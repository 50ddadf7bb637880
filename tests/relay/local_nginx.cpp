#include "local_nginx.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

extern char** environ;

namespace vantrel::relay::test {

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// False when the text does not hold from: the deploy config changed under the test.
bool replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (text.find(from) == std::string::npos) return false;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return true;
}

}  // namespace

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
    // Not the test's own output: ctest waits for that to close, so a child outliving a crashed
    // test would hold the whole run until its time limit.
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) pid = -1;
    return failed == 0;
}

std::string Process::logText() const { return readText(log); }

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
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        // A program that does not stop when asked is killed, and its status says so.
        if (waited == 10000) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return status;
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

bool LocalNginx::start(const fs::path& sourceDir, const fs::path& scratch, const std::vector<int>& relayPorts,
                       int workerConnections, const std::string& siteDir) {
    dir = scratch;
    fs::create_directories(dir / "site");
    fs::create_directories(dir / "acme");
    std::ofstream(dir / "site" / "index.html") << "<title>vantrel</title>";
    const std::string makeCertificate =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
        "-addext subjectAltName=IP:127.0.0.1 -keyout " +
        (dir / "key.pem").string() + " -out " + certificate().string() + " 2>/dev/null";
    if (std::system(makeCertificate.c_str()) != 0) {
        error = "openssl cannot make a certificate";
        return false;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Past the attempts the relays of the same test draw from (under 110), so nginx never
        // finds its port taken by the relays it stands in front of.
        httpPort = testPort(attempt + 200);
        httpsPort = testPort(attempt + 220);
        if (!writeConfig(sourceDir, relayPorts, workerConnections, siteDir)) return false;
        if (!spawnUnprivileged()) return false;
        if (waitUntilListening()) return true;
        stop();
    }
    error = "nginx did not start: " + errors();
    return false;
}

bool LocalNginx::writeConfig(const fs::path& sourceDir, const std::vector<int>& relayPorts, int workerConnections,
                             const std::string& siteDir) {
    std::string conf = readText(sourceDir / "deploy" / "nginx" / "vantrel.conf");
    std::string upstream;
    for (int port : relayPorts) upstream += "server 127.0.0.1:" + std::to_string(port) + ";\n";
    const std::pair<std::string, std::string> swaps[] = {
        {"listen [::]:80;", ""},
        {"listen [::]:443 ssl http2;", ""},
        {"listen 80;", "listen 127.0.0.1:" + std::to_string(httpPort) + ";"},
        {"listen 443 ssl", "listen 127.0.0.1:" + std::to_string(httpsPort) + " ssl"},
        {"/etc/letsencrypt/live/play.example.org/fullchain.pem", certificate().string()},
        {"/etc/letsencrypt/live/play.example.org/privkey.pem", (dir / "key.pem").string()},
        {"/var/lib/vantrel/site", siteDir.empty() ? (dir / "site").string() : siteDir},
        {"/var/www/html", (dir / "acme").string()},
        {"server 127.0.0.1:8031;", upstream},
        {"server 127.0.0.1:8032;", ""},
    };
    for (const auto& [from, to] : swaps) {
        if (!replaceAll(conf, from, to)) {
            error = "the deploy config no longer holds \"" + from + "\"";
            return false;
        }
    }
    std::ofstream(dir / "vantrel.conf") << conf;
    const std::string temp = (dir / "tmp").string();
    std::ofstream(dir / "nginx.conf") << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
                                      << "worker_rlimit_nofile " << 2 * workerConnections + 64 << ";\n"
                                      << "pid " << (dir / "nginx.pid").string() << ";\n"
                                      << "events { worker_connections " << workerConnections << "; }\n"
                                      << "http {\n  access_log off;\n"
                                      << "  client_body_temp_path " << temp << ";\n  proxy_temp_path " << temp
                                      << ";\n  fastcgi_temp_path " << temp << ";\n  uwsgi_temp_path " << temp
                                      << ";\n  scgi_temp_path " << temp << ";\n  include "
                                      << (dir / "vantrel.conf").string() << ";\n}\n";
    // Readable by the nobody user nginx runs as.
    fs::permissions(dir, fs::perms::all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    return true;
}

bool LocalNginx::spawnUnprivileged() {
    log = (dir / "stderr.log").string();
    fs::remove(dir / "nginx.pid");
    const std::string prefix = dir.string() + "/", conf = (dir / "nginx.conf").string(),
                      errorLog = (dir / "error.log").string();
    pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(out, 2);
        dup2(out, 1);
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(126);
        }
        execlp("nginx", "nginx", "-p", prefix.c_str(), "-e", errorLog.c_str(), "-c", conf.c_str(), nullptr);
        _exit(127);
    }
    return true;
}

// nginx writes its pid file once it holds every port it listens on. An answer on the http port
// alone could come from another program holding that port while nginx fails to bind.
bool LocalNginx::waitUntilListening() {
    for (int waited = 0; waited < 6000; waited += 20) {
        if (readText(dir / "nginx.pid") == std::to_string(pid) + "\n") return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string LocalNginx::errors() const { return readText(dir / "error.log") + logText(); }

}  // namespace vantrel::relay::test
