// Programs in the background and nginx on 127.0.0.1, for the tests and the load generator that
// run the public set-up on this machine. No test framework here: the load generator uses it too.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::relay::test {

// A port for this run, away from other runs' on the same machine.
int testPort(int attempt);

// A program run in the background, its standard error in a log; killed when the object goes,
// should its user not stop it.
struct Process {
    pid_t pid = -1;
    std::string log;
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();
    bool spawn(const std::vector<std::string>& argv, const std::string& logPath);
    std::string logText() const;
    // Waits for text in the log; false when the program ended or ms passed first.
    bool waitForLog(const std::string& text, int ms);
    // SIGTERM (SIGKILL should it not end within 10 s), then the wait status (-1 when it was
    // not running).
    int stop();
};

// One HTTP/1.1 GET on 127.0.0.1, sent as written (no cleaning of the path): the status code
// (0 when nothing answered) and the headers and body as text.
struct HttpReply {
    int status = 0;
    std::string head, body;
};
HttpReply httpGet(int port, const std::string& path);

// nginx running the deploy folder's config with its addresses, certificate, page and relays
// swapped for this machine's: plain http and https on high ports of 127.0.0.1, a self-signed
// certificate (cert.pem in the scratch folder, for SSL_CERT_FILE), the relays on relayPorts,
// the page from siteDir (a one-line page when empty). As root it drops to the nobody user first.
struct LocalNginx : Process {
    std::filesystem::path dir;
    int httpPort = 0, httpsPort = 0;
    std::string error;  // why start failed

    bool start(const std::filesystem::path& sourceDir, const std::filesystem::path& scratch,
               const std::vector<int>& relayPorts, int workerConnections = 1024, const std::string& siteDir = "");
    std::filesystem::path certificate() const { return dir / "cert.pem"; }
    std::string errors() const;

private:
    bool writeConfig(const std::filesystem::path& sourceDir, const std::vector<int>& relayPorts, int workerConnections,
                     const std::string& siteDir);
    bool spawnUnprivileged();
    bool waitUntilListening();
};

}  // namespace vantrel::relay::test
