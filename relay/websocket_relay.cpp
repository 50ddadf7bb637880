#include "relay/websocket_relay.h"

#include <ev.h>
#include <libwebsockets.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <unordered_map>
#include <vector>

#include "relay/desync_report.h"
#include "relay/lws_common.h"

namespace vantrel::relay {

struct WebSocketRelay::Impl {
    struct Peer {
        lws* wsi;
        std::deque<net::Outgoing> queue;
        net::Bytes incoming;
    };

    std::unique_ptr<net::Relay> relay;
    ListenOptions listen;
    // libev's loop (epoll underneath): the library's own poll() loop looks at every connection
    // each time anything happens, which does not scale to hundreds of players.
    struct ev_loop* loop = nullptr;
    lws_context* context = nullptr;
    lws_vhost* vhost = nullptr;
    // The relay's next work, on a timerfd: libev waits on epoll in whole milliseconds, rounded
    // up, so its own timers handed every tick out up to a millisecond late.
    int timerFd = -1;
    ev_io timerWatcher{};
    std::unordered_map<net::ConnectionId, Peer> peers;
    net::ConnectionId nextId = 1;
    std::chrono::steady_clock::time_point startedAt = std::chrono::steady_clock::now();
    std::function<void(const std::string&)> log = [](const std::string&) {};
    std::chrono::steady_clock::time_point timerDueAt, timerArmedAt;
    static constexpr std::size_t MAX_LATENESS_SAMPLES = 1 << 20;
    std::vector<uint32_t> tickLatenessUs;
    std::string dataDir;
    std::string siteOrigin;
    lws_http_mount site{};

    uint32_t now() const {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt)
                .count());
    }

    // Hands what the relay queued to the connections and sets the timer for its next work.
    void flush() {
        for (net::Outgoing& o : relay->takeOutgoing()) {
            const auto found = peers.find(o.to);
            if (found == peers.end()) continue;
            found->second.queue.push_back(std::move(o));
            lws_callback_on_writable(found->second.wsi);
        }
        for (const std::string& line : relay->takeLogLines()) log(line);
        for (const net::DesyncReport& r : relay->takeDesyncReports()) writeReport(r);
        const uint32_t nowMs = now();
        timerDueAt = startedAt + std::chrono::milliseconds(nowMs + relay->msUntilDue(nowMs));
        armTimer(timerDueAt);
    }

    void releaseTimer() {
        ev_io_stop(loop, &timerWatcher);
        close(timerFd);
    }

    bool makeTimer() {
        timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (timerFd < 0) return false;
        ev_io_init(&timerWatcher, onTimer, timerFd, EV_READ);
        timerWatcher.data = this;
        ev_io_start(loop, &timerWatcher);
        return true;
    }

    // steady_clock is CLOCK_MONOTONIC; a time already past fires at once. Set only when it
    // changes: flush runs after every message received.
    void armTimer(std::chrono::steady_clock::time_point at) {
        if (at == timerArmedAt) return;
        timerArmedAt = at;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
        itimerspec when{};
        when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &when, nullptr);
    }

    void writeReport(const net::DesyncReport& r) {
        if (listen.reportsDir.empty()) return;
        std::string where, error;
        if (writeDesyncReport(listen.reportsDir, r, dataDir, ReportSide::Relay, where, error)) {
            log("match " + r.code + ": desync report written to " + where);
        } else {
            log("match " + r.code + ": desync report not written: " + error);
        }
    }

    static void onTimer(struct ev_loop*, ev_io* watcher, int) {
        Impl* self = static_cast<Impl*>(watcher->data);
        // Read only to clear it, and nothing to read when flush set it again since it fired:
        // either way the work is due, and the flush below sets the timer for the next.
        uint64_t expirations = 0;
        const ssize_t cleared = read(self->timerFd, &expirations, sizeof expirations);
        (void)cleared;
        self->timerArmedAt = {};
        const auto due = self->timerDueAt;
        const uint64_t ticksBefore = self->relay->counters().ticksRun;
        self->relay->advance(self->now());
        self->flush();
        if (self->relay->counters().ticksRun != ticksBefore) self->sampleTickLateness(due);
    }

    // How long after it was due the last tick of a timer's batch was handed to the sockets:
    // the delay the relay adds, timer lateness and work included.
    void sampleTickLateness(std::chrono::steady_clock::time_point due) {
        const auto handedOver = std::chrono::steady_clock::now();
        const auto late = std::chrono::duration_cast<std::chrono::microseconds>(handedOver - due).count();
        if (late >= 0 && tickLatenessUs.size() < MAX_LATENESS_SAMPLES)
            tickLatenessUs.push_back(static_cast<uint32_t>(late));
    }

    std::string tickLatenessSummary() {
        if (tickLatenessUs.empty()) return "no ticks ran";
        std::sort(tickLatenessUs.begin(), tickLatenessUs.end());
        const auto at = [this](double p) {
            return tickLatenessUs[std::min(tickLatenessUs.size() - 1,
                                           static_cast<std::size_t>(p * tickLatenessUs.size()))] /
                   1000.0;
        };
        char text[160];
        std::snprintf(
            text, sizeof text,
            "ticks handed to the sockets after they were due: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu timer runs)",
            at(0.5), at(0.99), at(1.0), tickLatenessUs.size());
        return text;
    }

    void established(lws* wsi, net::ConnectionId& id) {
        id = nextId++;
        peers[id] = Peer{wsi, {}, {}};
        disableNagle(wsi);
        char path[128] = "";
        lws_hdr_copy(wsi, path, sizeof path, WSI_TOKEN_GET_URI);
        relay->open(id, playerAddress(wsi), net::codeOfPath(path), now());
        flush();
    }

    // The address the limits per address count: the player's own, or the one the web server
    // in front saw (the last of its X-Forwarded-For list, the one it added itself).
    std::string playerAddress(lws* wsi) const {
        char peer[64] = "";
        lws_get_peer_simple(wsi, peer, sizeof peer);
        if (listen.proxy.empty() || listen.proxy != peer) return peer;
        char forwarded[256] = "";
        if (lws_hdr_copy(wsi, forwarded, sizeof forwarded, WSI_TOKEN_X_FORWARDED_FOR) <= 0) return peer;
        std::string list = forwarded;
        list = list.substr(list.rfind(',') + 1);
        list.erase(0, list.find_first_not_of(' '));
        return list.empty() ? std::string(peer) : list;
    }

    // The page's files on the HTTP side of the port: the library maps the path into the folder
    // (never above it), lists no folders and serves only file types it knows a MIME type for.
    void mountSite(lws_context_creation_info& info) {
        static const lws_protocol_vhost_options DATA_TYPE = {nullptr, nullptr, ".data", "application/octet-stream"};
        static const lws_protocol_vhost_options WASM_TYPE = {&DATA_TYPE, nullptr, ".wasm", "application/wasm"};
        siteOrigin = std::filesystem::absolute(listen.siteDir).lexically_normal().string();
        site.mountpoint = "/";
        site.mountpoint_len = 1;
        site.origin = siteOrigin.c_str();
        site.def = "index.html";
        site.origin_protocol = LWSMPRO_FILE;
        site.extra_mimetypes = &WASM_TYPE;
        info.mounts = &site;
    }

    void received(lws* wsi, net::ConnectionId id, const void* data, std::size_t size) {
        Peer& p = peers.at(id);
        if (!appendFragment(wsi, p.incoming, data, size, net::MAX_CLIENT_MESSAGE_BYTES)) return;
        relay->receive(id, p.incoming.data(), p.incoming.size(), now());
        p.incoming.clear();
        flush();
    }

    // Writes the next queued message; -1 closes the connection.
    int writable(lws* wsi, net::ConnectionId id) {
        Peer& p = peers.at(id);
        if (p.queue.empty()) return 0;
        net::Outgoing o = std::move(p.queue.front());
        p.queue.pop_front();
        if (!o.message.empty() && !writeMessage(wsi, o.message)) return -1;
        if (o.close) {
            lws_close_reason(wsi, LWS_CLOSE_STATUS_POLICY_VIOLATION, nullptr, 0);
            return -1;
        }
        if (!p.queue.empty()) lws_callback_on_writable(wsi);
        return 0;
    }

    void closed(net::ConnectionId id) {
        if (peers.erase(id) == 0) return;
        relay->closed(id, now());
        flush();
    }

    static int callback(lws* wsi, lws_callback_reasons reason, void* user, void* in, std::size_t len) {
        auto* self = static_cast<Impl*>(lws_context_user(lws_get_context(wsi)));
        auto* id = static_cast<net::ConnectionId*>(user);
        switch (reason) {
            case LWS_CALLBACK_ESTABLISHED:
                self->established(wsi, *id);
                break;
            case LWS_CALLBACK_RECEIVE:
                self->received(wsi, *id, in, len);
                break;
            case LWS_CALLBACK_SERVER_WRITEABLE:
                return self->writable(wsi, *id);
            case LWS_CALLBACK_CLOSED:
                self->closed(*id);
                break;
            default:
                return lws_callback_http_dummy(wsi, reason, user, in, len);
        }
        return 0;
    }
};

namespace {

const lws_protocols RELAY_PROTOCOLS[] = {
    {"vantrel", WebSocketRelay::Impl::callback, sizeof(net::ConnectionId), 4096, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

}  // namespace

std::unique_ptr<WebSocketRelay> WebSocketRelay::open(net::RelayConfig config, const ListenOptions& listen,
                                                     std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->dataDir = config.dataDir;
    impl->relay = net::Relay::create(std::move(config), error);
    if (!impl->relay) return nullptr;
    impl->listen = listen;
    quietLibraryLog();
    lws_context_creation_info info;
    std::memset(&info, 0, sizeof info);
    info.port = listen.port;
    info.iface = listen.bind.empty() ? nullptr : listen.bind.c_str();
    info.protocols = RELAY_PROTOCOLS;
    info.gid = static_cast<gid_t>(-1);
    info.uid = static_cast<uid_t>(-1);
    info.user = impl.get();
    if (!listen.siteDir.empty()) impl->mountSite(info);
    impl->loop = ev_loop_new(EVFLAG_AUTO);
    if (!impl->makeTimer()) {
        ev_loop_destroy(impl->loop);
        error = std::string("cannot make the relay's timer: ") + std::strerror(errno);
        return nullptr;
    }
    void* loops[] = {impl->loop};
    info.options = LWS_SERVER_OPTION_LIBEV;
    info.foreign_loops = loops;
    impl->context = lws_create_context(&info);
    if (impl->context == nullptr) {
        impl->releaseTimer();
        ev_loop_destroy(impl->loop);
        error = "cannot listen on " + (listen.bind.empty() ? std::string("every address") : listen.bind) + " port " +
                std::to_string(listen.port) + " (in use, or not an address of this machine)";
        return nullptr;
    }
    impl->vhost = lws_get_vhost_by_name(impl->context, "default");
    impl->flush();
    return std::unique_ptr<WebSocketRelay>(new WebSocketRelay(std::move(impl)));
}

WebSocketRelay::WebSocketRelay(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WebSocketRelay::~WebSocketRelay() {
    lws_context_destroy(impl_->context);
    impl_->releaseTimer();
    ev_loop_destroy(impl_->loop);
}

void WebSocketRelay::serve(const std::atomic<bool>& stop) {
    while (!stop.load()) ev_run(impl_->loop, EVRUN_ONCE);
    impl_->log(impl_->tickLatenessSummary());
    const net::RelayCounters& c = impl_->relay->counters();
    impl_->log("served " + std::to_string(c.ticksRun) + " match ticks: " + std::to_string(c.lateInputs) +
               " late inputs, " + std::to_string(c.delayRaises) + " delay raises, " + std::to_string(c.desyncs) +
               " desyncs, " + std::to_string(c.refusals) + " refusals");
}

std::string WebSocketRelay::openMatch() {
    const std::string code = impl_->relay->openMatch(impl_->now());
    impl_->flush();
    return code;
}

void WebSocketRelay::wake() { lws_cancel_service(impl_->context); }

int WebSocketRelay::port() const { return lws_get_vhost_listen_port(impl_->vhost); }

void WebSocketRelay::onLogLine(std::function<void(const std::string&)> sink) { impl_->log = std::move(sink); }

std::unique_ptr<HostedRelay> HostedRelay::start(net::RelayConfig config, const ListenOptions& listen,
                                                std::string& error) {
    std::unique_ptr<WebSocketRelay> relay = WebSocketRelay::open(std::move(config), listen, error);
    if (!relay) return nullptr;
    relay->onLogLine([](const std::string& line) { std::fprintf(stderr, "vantrel: relay: %s\n", line.c_str()); });
    return std::unique_ptr<HostedRelay>(new HostedRelay(std::move(relay)));
}

HostedRelay::HostedRelay(std::unique_ptr<WebSocketRelay> relay)
    : relay_(std::move(relay)), thread_([this] { relay_->serve(stop_); }) {}

HostedRelay::~HostedRelay() {
    stop_ = true;
    relay_->wake();
    thread_.join();
}

net::RandomSource systemRandom() {
    auto device = std::make_shared<std::random_device>();
    return [device] { return (static_cast<uint64_t>((*device)()) << 32) ^ (*device)(); };
}

}  // namespace vantrel::relay
