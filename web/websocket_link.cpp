#include "web/websocket_link.h"

#include <emscripten.h>
#include <emscripten/websocket.h>

#include <cstdlib>

#include "net/messages.h"

namespace vantrel::web {

namespace {

EM_JS(int, pageIsSecure, (), { return location.protocol == "https:" ? 1 : 0; });
EM_JS(int, pagePort, (), {
    if (location.port) return Number(location.port);
    return location.protocol == "https:" ? 443 : 80;
});
EM_JS(char*, pageHostName, (), { return stringToNewUTF8(location.hostname); });

std::string hostAndPort(const net::JoinAddress& address) {
    const std::string host = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
    return host + ":" + std::to_string(address.port);
}

}  // namespace

// The browser's callbacks, with the link as their user data.
struct BrowserWebSocketLink::Events {
    static EM_BOOL opened(int, const EmscriptenWebSocketOpenEvent*, void* user) {
        auto* link = static_cast<BrowserWebSocketLink*>(user);
        if (link->state_ == State::Connecting) link->state_ = State::Open;
        return EM_TRUE;
    }

    static EM_BOOL message(int, const EmscriptenWebSocketMessageEvent* e, void* user) {
        auto* link = static_cast<BrowserWebSocketLink*>(user);
        if (link->state_ != State::Open) return EM_TRUE;
        // The relay speaks binary within its size limit; anything else is not a relay.
        if (e->isText || e->numBytes > net::MAX_RELAY_MESSAGE_BYTES) {
            link->closeWith("the relay sent a message this game cannot read");
            emscripten_websocket_close(link->socket_, 1002, "");
            return EM_TRUE;
        }
        link->inbox_.emplace_back(e->data, e->data + e->numBytes);
        if (link->arrived_) link->arrived_();
        return EM_TRUE;
    }

    static EM_BOOL failed(int, const EmscriptenWebSocketErrorEvent*, void* user) {
        auto* link = static_cast<BrowserWebSocketLink*>(user);
        if (link->state_ == State::Connecting) link->closeWith("cannot connect to " + link->where_);
        return EM_TRUE;
    }

    static EM_BOOL closed(int, const EmscriptenWebSocketCloseEvent*, void* user) {
        auto* link = static_cast<BrowserWebSocketLink*>(user);
        link->closeWith(link->state_ == State::Connecting ? "cannot connect to " + link->where_
                                                          : "the relay closed the connection");
        return EM_TRUE;
    }
};

std::unique_ptr<BrowserWebSocketLink> BrowserWebSocketLink::connect(const net::JoinAddress& address,
                                                                    std::function<void()> arrived) {
    std::unique_ptr<BrowserWebSocketLink> link(new BrowserWebSocketLink(hostAndPort(address), std::move(arrived)));
    if (!emscripten_websocket_is_supported()) {
        link->closeWith("this browser has no WebSockets");
        return link;
    }
    const std::string url = (address.secure ? "wss://" : "ws://") + link->where_ + address.path();
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = "vantrel";
    attributes.createOnMainThread = EM_TRUE;
    const EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0) {
        link->closeWith("cannot connect to " + link->where_);
        return link;
    }
    link->socket_ = socket;
    emscripten_websocket_set_onopen_callback(socket, link.get(), Events::opened);
    emscripten_websocket_set_onmessage_callback(socket, link.get(), Events::message);
    emscripten_websocket_set_onerror_callback(socket, link.get(), Events::failed);
    emscripten_websocket_set_onclose_callback(socket, link.get(), Events::closed);
    return link;
}

BrowserWebSocketLink::~BrowserWebSocketLink() {
    if (socket_ == 0) return;
    emscripten_websocket_close(socket_, 1000, "");
    emscripten_websocket_delete(socket_);  // no callback reaches this link any more
}

void BrowserWebSocketLink::send(net::Bytes message) {
    if (state_ != State::Open) return;
    if (emscripten_websocket_send_binary(socket_, message.data(), static_cast<uint32_t>(message.size())) !=
        EMSCRIPTEN_RESULT_SUCCESS)
        closeWith("the connection to the relay was lost");
}

bool BrowserWebSocketLink::receive(net::Bytes& message) {
    if (inbox_.empty()) return false;
    message = std::move(inbox_.front());
    inbox_.pop_front();
    return true;
}

void BrowserWebSocketLink::close() {
    if (state_ == State::Closed) return;
    closeWith("closed by this side");
    if (socket_ != 0) emscripten_websocket_close(socket_, 1000, "");
}

void BrowserWebSocketLink::closeWith(const std::string& reason) {
    if (state_ == State::Closed) return;
    state_ = State::Closed;
    reason_ = reason;
}

net::JoinAddress pageRelay() {
    net::JoinAddress address;
    char* host = pageHostName();
    address.host = host;
    free(host);
    address.port = pagePort();
    address.secure = pageIsSecure() != 0;
    return address;
}

}  // namespace vantrel::web
