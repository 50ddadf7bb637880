// The desktop client's connection to a relay: a WebSocket (binary messages, no Nagle delay) on
// libwebsockets, polled from the game loop without ever blocking. Connect errors and closes
// come back as text for the player.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "net/join_code.h"
#include "net/link.h"

struct lws;
struct lws_context;

namespace vantrel::relay {

// The library's client context; many links may share one (load generators), polled once.
class ClientContext {
public:
    static std::shared_ptr<ClientContext> create(std::string& error);
    ~ClientContext();
    // Does what is pending on every link of the context, without waiting.
    void service();
    // The same, but first waits for something to arrive, at most maxMs (load generators,
    // which must not spin).
    void serviceWaiting(int maxMs);
    lws_context* context() const { return context_; }

    struct WakeTimer;

private:
    explicit ClientContext(lws_context* context);
    lws_context* context_;
    std::unique_ptr<WakeTimer> wake_;
};

class WebSocketLink final : public net::MessageLink {
public:
    // Starts connecting to the relay at address (its path names the match). A link with a
    // context of its own polls it; links sharing one leave that to the context's owner.
    static std::unique_ptr<WebSocketLink> connect(const net::JoinAddress& address);
    static std::unique_ptr<WebSocketLink> connect(const net::JoinAddress& address,
                                                  std::shared_ptr<ClientContext> shared);
    ~WebSocketLink() override;

    void poll() override;
    State state() const override { return state_; }
    std::string closeReason() const override { return reason_; }
    void send(net::Bytes message) override;
    bool receive(net::Bytes& message) override;
    void close() override;

    // Called by the library's callback.
    int handle(int reason, void* in, std::size_t len);

private:
    WebSocketLink(std::shared_ptr<ClientContext> context, bool ownsContext, std::string where);
    void closeWith(const std::string& reason);

    std::shared_ptr<ClientContext> context_;
    bool ownsContext_;
    std::string where_;  // host:port, for messages
    lws* wsi_ = nullptr;
    State state_ = State::Connecting;
    std::string reason_;
    std::deque<net::Bytes> inbox_, outbox_;
    net::Bytes incoming_;
    bool closing_ = false;
    bool inService_ = false;
};

}  // namespace vantrel::relay
