// The relay on WebSockets: binary messages over TCP (no Nagle delay), one thread polling every
// connection, the relay's logic ticking on a timer. The vantrel-relay program serves one until
// it is stopped; `vantrel --host` runs one on a thread of its own (HostedRelay).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "net/relay.h"

namespace vantrel::relay {

struct ListenOptions {
    std::string bind;                    // an address to listen on; empty: every address
    int port = net::DEFAULT_RELAY_PORT;  // 0: any free port (tests)
    std::string reportsDir;              // desync reports go here; empty: none are written
    std::string siteDir;                 // the browser page's files, served on the same port; empty: none
    // Connections from this address (a web server in front) carry the player's address in
    // their X-Forwarded-For header; empty: every connection is the player's own.
    std::string proxy;
};

class WebSocketRelay {
public:
    // Listens; false with the reason when the port cannot be had or the data cannot be read.
    static std::unique_ptr<WebSocketRelay> open(net::RelayConfig config, const ListenOptions& listen,
                                                std::string& error);
    ~WebSocketRelay();
    WebSocketRelay(const WebSocketRelay&) = delete;
    WebSocketRelay& operator=(const WebSocketRelay&) = delete;

    // A match under a new code, waiting for its first player (see net::Relay::openMatch). Before
    // serving, or on the serving thread.
    std::string openMatch();
    // Serves until stop is set; whoever sets it calls wake() so the wait ends at once.
    void serve(const std::atomic<bool>& stop);
    void wake();
    int port() const;
    // Receives the relay's log lines (a match started or ended, a report written), on the
    // serving thread.
    void onLogLine(std::function<void(const std::string&)> sink);

    struct Impl;

private:
    explicit WebSocketRelay(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// A relay serving on a thread of its own for as long as this object lives.
class HostedRelay {
public:
    static std::unique_ptr<HostedRelay> start(net::RelayConfig config, const ListenOptions& listen, std::string& error);
    ~HostedRelay();
    int port() const { return relay_->port(); }

private:
    explicit HostedRelay(std::unique_ptr<WebSocketRelay> relay);
    std::unique_ptr<WebSocketRelay> relay_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The system's random source for join codes, tokens and seeds.
net::RandomSource systemRandom();

}  // namespace vantrel::relay
