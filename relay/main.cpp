// vantrel-relay: carries network matches for players anywhere; `vantrel --host` runs the same
// relay inside the game.
#include <CLI/CLI.hpp>

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "net/data_files.h"
#include "relay/websocket_relay.h"

namespace {

std::atomic<bool> stopRequested{false};
vantrel::relay::WebSocketRelay* serving = nullptr;

extern "C" void requestStop(int) {
    stopRequested = true;
    if (serving != nullptr) serving->wake();
}

// The name in the printed join lines: the one given, the address listened on, or this machine's.
std::string joinHost(const std::string& advertised, const std::string& bind) {
    if (!advertised.empty()) return advertised;
    if (!bind.empty()) return bind;
    char name[256] = "";
    return gethostname(name, sizeof name - 1) == 0 && name[0] != '\0' ? name : "localhost";
}

void printJoinLines(const std::string& code, const std::string& host, int port, bool servesPage) {
    const std::string where = host + ":" + std::to_string(port);
    std::printf("vantrel-relay: match %s is open; the first to join it picks the mission.\n", code.c_str());
    std::printf("  from the game:    vantrel --join %s/%s\n", where.c_str(), code.c_str());
    if (servesPage) std::printf("  from a browser:   open http://%s/?join=%s\n", where.c_str(), code.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantrel;
    CLI::App app{"vantrel-relay: carries vantrel network matches; players join with HOST:PORT/CODE"};
    relay::ListenOptions listen;
    net::RelayConfig config;
    app.add_option("--port", listen.port, "TCP port for the WebSocket connections")
        ->capture_default_str()
        ->check(CLI::Range(1, 65535));
    app.add_option("--bind", listen.bind, "the address to listen on (default: every address)");
    app.add_option("--data", config.dataDir, "the game's data directory; every player must have the same")
        ->required()
        ->check(CLI::ExistingDirectory);
    app.add_option("--reports", listen.reportsDir, "write desync reports into this folder");
    app.add_option("--site", listen.siteDir,
                   "serve the browser page's files from this folder (build-web/site) on the same port")
        ->check(CLI::ExistingDirectory);
    app.add_option("--proxy", listen.proxy,
                   "the address of a web server in front, whose X-Forwarded-For header names the player");
    app.add_option("--max-matches", config.maxMatches, "matches carried at once")
        ->capture_default_str()
        ->check(CLI::Range(1, 100000));
    app.add_option("--max-connections", config.maxConnections, "players connected at once")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    app.add_option("--max-per-address", config.maxConnectionsPerAddress, "connections from one address")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    app.add_option("--max-connects-per-minute", config.connectsPerMinute, "new connections from one address")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    uint32_t idleMinutes = config.idleMatchMs / 60000;
    app.add_option("--idle-minutes", idleMinutes, "a match where nobody plays this long closes")
        ->capture_default_str()
        ->check(CLI::Range(1, 10000));
    bool openMatch = false;
    app.add_flag("--open-match", openMatch, "open a match at once and print how to join it");
    std::string advertised;
    app.add_option("--public-address", advertised,
                   "the host name or address players reach this machine by, in the printed join lines");
    app.set_version_flag("--version", "vantrel-relay " VANTREL_VERSION);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "vantrel-relay: %s\n", e.what());
        return 2;
    }

    config.idleMatchMs = idleMinutes * 60000;
    if (!listen.siteDir.empty() && !std::filesystem::exists(listen.siteDir + "/index.html")) {
        std::fprintf(stderr, "vantrel-relay: %s has no index.html: build the page with scripts/web --build-only\n",
                     listen.siteDir.c_str());
        return 2;
    }
    std::string error;
    if (!net::hashDataDirectory(config.dataDir, config.dataFiles, error)) {
        std::fprintf(stderr, "vantrel-relay: %s\n", error.c_str());
        return 2;
    }
    config.gameVersion = VANTREL_VERSION;
    config.random = relay::systemRandom();
    std::unique_ptr<relay::WebSocketRelay> server = relay::WebSocketRelay::open(std::move(config), listen, error);
    if (!server) {
        std::fprintf(stderr, "vantrel-relay: %s\n", error.c_str());
        return 1;
    }
    server->onLogLine([](const std::string& line) { std::fprintf(stderr, "vantrel-relay: %s\n", line.c_str()); });
    if (openMatch)
        printJoinLines(server->openMatch(), joinHost(advertised, listen.bind), server->port(), !listen.siteDir.empty());
    serving = server.get();
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::fprintf(stderr, "vantrel-relay: serving on %s port %d; players join with HOST:%d/CODE%s\n",
                 listen.bind.empty() ? "every address" : listen.bind.c_str(), server->port(), server->port(),
                 listen.siteDir.empty() ? "" : ", or open http://HOST:PORT/?join=CODE in a browser");
    server->serve(stopRequested);
    serving = nullptr;
    std::fprintf(stderr, "vantrel-relay: stopped\n");
    return 0;
}
