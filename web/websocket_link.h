// The browser's connection to a relay: the page's own WebSocket (emscripten's websocket API),
// binary messages both ways. The browser delivers its events between animation frames; they
// wait in the link until the game reads them.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "net/join_code.h"
#include "net/link.h"

namespace vantrel::web {

class BrowserWebSocketLink final : public net::MessageLink {
public:
    // Starts connecting to the relay at address (ws, or wss where address.secure).
    // arrived is called after each message is queued, from the browser's event (never from
    // within poll, send or receive).
    static std::unique_ptr<BrowserWebSocketLink> connect(const net::JoinAddress& address,
                                                         std::function<void()> arrived);
    ~BrowserWebSocketLink() override;

    void poll() override {}
    State state() const override { return state_; }
    std::string closeReason() const override { return reason_; }
    void send(net::Bytes message) override;
    bool receive(net::Bytes& message) override;
    void close() override;

    struct Events;

private:
    BrowserWebSocketLink(std::string where, std::function<void()> arrived)
        : where_(std::move(where)), arrived_(std::move(arrived)) {}
    void closeWith(const std::string& reason);

    int socket_ = 0;
    std::string where_;  // host:port, for messages
    State state_ = State::Connecting;
    std::string reason_;
    std::deque<net::Bytes> inbox_;
    std::function<void()> arrived_;
};

// The relay that served the page: its host and port, wss on an https page (a page served over
// https may only open wss). The join code is left empty.
net::JoinAddress pageRelay();

}  // namespace vantrel::web
