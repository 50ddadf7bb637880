#include "relay/websocket_link.h"

#include <libwebsockets.h>

#include <cstring>

#include "net/messages.h"
#include "relay/lws_common.h"

namespace vantrel::relay {

namespace {

constexpr char PROTOCOL_NAME[] = "vantrel";

// Only a connection's own events carry its link in `user`: the context's and the vhost's
// events (protocol start, TLS setup) pass the library's memory there.
bool isConnectionEvent(lws_callback_reasons reason) {
    switch (reason) {
        case LWS_CALLBACK_CLIENT_ESTABLISHED:
        case LWS_CALLBACK_CLIENT_RECEIVE:
        case LWS_CALLBACK_CLIENT_WRITEABLE:
        case LWS_CALLBACK_CLIENT_CONNECTION_ERROR:
        case LWS_CALLBACK_CLIENT_CLOSED:
            return true;
        default:
            return false;
    }
}

int clientCallback(lws*, lws_callback_reasons reason, void* user, void* in, std::size_t len) {
    if (!isConnectionEvent(reason)) return 0;
    // A link that is gone leaves its connection to close on its own.
    auto* link = static_cast<WebSocketLink*>(user);
    if (link == nullptr) return reason == LWS_CALLBACK_CLIENT_WRITEABLE ? -1 : 0;
    return link->handle(reason, in, len);
}

const lws_protocols CLIENT_PROTOCOLS[] = {
    {PROTOCOL_NAME, clientCallback, 0, 4096, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

std::string hostAndPort(const net::JoinAddress& address) { return address.host + ":" + std::to_string(address.port); }

}  // namespace

std::shared_ptr<ClientContext> ClientContext::create(std::string& error) {
    quietLibraryLog();
    lws_context_creation_info info;
    std::memset(&info, 0, sizeof info);
    info.port = CONTEXT_PORT_NO_LISTEN;
    info.protocols = CLIENT_PROTOCOLS;
    // wss through a web server checks its certificate against the system's authorities
    // (OpenSSL's SSL_CERT_FILE / SSL_CERT_DIR choose others).
    info.options = LWS_SERVER_OPTION_DO_SSL_GLOBAL_INIT;
    info.gid = static_cast<gid_t>(-1);
    info.uid = static_cast<uid_t>(-1);
    lws_context* context = lws_create_context(&info);
    if (context == nullptr) {
        error = "the WebSocket library cannot start";
        return nullptr;
    }
    return std::shared_ptr<ClientContext>(new ClientContext(context));
}

// The library's timer entry first, so the entry it hands back is the whole timer.
struct ClientContext::WakeTimer {
    lws_sorted_usec_list_t entry{};
};

ClientContext::ClientContext(lws_context* context) : context_(context), wake_(std::make_unique<WakeTimer>()) {}

ClientContext::~ClientContext() {
    lws_sul_cancel(&wake_->entry);
    lws_context_destroy(context_);
}

void ClientContext::serviceWaiting(int maxMs) {
    lws_sul_schedule(
        context_, 0, &wake_->entry, [](lws_sorted_usec_list_t*) {}, static_cast<lws_usec_t>(maxMs) * 1000);
    lws_service(context_, 0);
}

// A negative timeout polls without waiting.
void ClientContext::service() { lws_service(context_, -1); }

std::unique_ptr<WebSocketLink> WebSocketLink::connect(const net::JoinAddress& address) {
    std::string error;
    std::shared_ptr<ClientContext> context = ClientContext::create(error);
    if (context) return connect(address, std::move(context));
    std::unique_ptr<WebSocketLink> link(new WebSocketLink(nullptr, false, hostAndPort(address)));
    link->closeWith(error);
    return link;
}

std::unique_ptr<WebSocketLink> WebSocketLink::connect(const net::JoinAddress& address,
                                                      std::shared_ptr<ClientContext> shared) {
    const bool owns = shared.use_count() == 1;
    std::unique_ptr<WebSocketLink> link(new WebSocketLink(std::move(shared), owns, hostAndPort(address)));
    const std::string path = address.path();
    lws_client_connect_info info;
    std::memset(&info, 0, sizeof info);
    info.context = link->context_->context();
    info.address = address.host.c_str();
    info.port = address.port;
    info.path = path.c_str();
    info.host = address.host.c_str();
    info.origin = address.host.c_str();
    info.protocol = PROTOCOL_NAME;
    if (address.secure) info.ssl_connection = LCCSCF_USE_SSL;
    info.userdata = link.get();
    info.pwsi = &link->wsi_;
    if (lws_client_connect_via_info(&info) == nullptr && link->state_ != State::Closed)
        link->closeWith("cannot connect to " + link->where_);
    return link;
}

WebSocketLink::WebSocketLink(std::shared_ptr<ClientContext> context, bool ownsContext, std::string where)
    : context_(std::move(context)), ownsContext_(ownsContext), where_(std::move(where)) {}

WebSocketLink::~WebSocketLink() {
    if (wsi_ == nullptr) return;
    lws_set_wsi_user(wsi_, nullptr);
    if (!ownsContext_) lws_set_timeout(wsi_, PENDING_TIMEOUT_CLOSE_SEND, LWS_TO_KILL_ASYNC);
}

void WebSocketLink::poll() {
    if (!ownsContext_ || inService_) return;
    inService_ = true;
    context_->service();
    inService_ = false;
}

void WebSocketLink::send(net::Bytes message) {
    if (state_ != State::Open) return;
    outbox_.push_back(std::move(message));
    lws_callback_on_writable(wsi_);
    poll();  // out now rather than at the next pass of the loop
}

bool WebSocketLink::receive(net::Bytes& message) {
    if (inbox_.empty()) return false;
    message = std::move(inbox_.front());
    inbox_.pop_front();
    return true;
}

void WebSocketLink::close() {
    if (state_ == State::Closed) return;
    closing_ = true;
    closeWith("closed by this side");
    if (wsi_ != nullptr) lws_callback_on_writable(wsi_);
    poll();
}

void WebSocketLink::closeWith(const std::string& reason) {
    if (state_ == State::Closed) return;
    state_ = State::Closed;
    reason_ = reason;
}

int WebSocketLink::handle(int reason, void* in, std::size_t len) {
    switch (reason) {
        case LWS_CALLBACK_CLIENT_ESTABLISHED:
            if (state_ == State::Connecting) state_ = State::Open;
            disableNagle(wsi_);
            break;
        case LWS_CALLBACK_CLIENT_RECEIVE:
            if (appendFragment(wsi_, incoming_, in, len, net::MAX_RELAY_MESSAGE_BYTES)) {
                inbox_.push_back(std::move(incoming_));
                incoming_.clear();
            }
            break;
        case LWS_CALLBACK_CLIENT_WRITEABLE:
            if (!outbox_.empty()) {
                if (!writeMessage(wsi_, outbox_.front())) return -1;
                outbox_.pop_front();
            }
            if (!outbox_.empty()) {
                lws_callback_on_writable(wsi_);
            } else if (closing_) {
                lws_close_reason(wsi_, LWS_CLOSE_STATUS_NORMAL, nullptr, 0);
                return -1;
            }
            break;
        case LWS_CALLBACK_CLIENT_CONNECTION_ERROR: {
            const std::string detail = in != nullptr ? static_cast<const char*>(in) : "";
            wsi_ = nullptr;
            closeWith("cannot connect to " + where_ + (detail.empty() ? "" : ": " + detail));
            break;
        }
        case LWS_CALLBACK_CLIENT_CLOSED:
            wsi_ = nullptr;
            closeWith("the relay closed the connection");
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace vantrel::relay
