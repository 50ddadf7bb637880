#include "relay/lws_common.h"

#include <libwebsockets.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vantrel::relay {

void disableNagle(lws* wsi) {
    const int on = 1;
    setsockopt(lws_get_socket_fd(wsi), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool appendFragment(lws* wsi, net::Bytes& message, const void* data, std::size_t size, std::size_t limit) {
    if (lws_is_first_fragment(wsi)) message.clear();
    const auto* bytes = static_cast<const uint8_t*>(data);
    const std::size_t room = limit + 1 - std::min(message.size(), limit + 1);
    message.insert(message.end(), bytes, bytes + std::min(size, room));
    return lws_is_final_fragment(wsi) && lws_remaining_packet_payload(wsi) == 0;
}

bool writeMessage(lws* wsi, const net::Bytes& message) {
    thread_local std::vector<unsigned char> buffer;
    buffer.resize(LWS_PRE + message.size());
    std::copy(message.begin(), message.end(), buffer.begin() + LWS_PRE);
    const int written = lws_write(wsi, buffer.data() + LWS_PRE, message.size(), LWS_WRITE_BINARY);
    return written >= static_cast<int>(message.size());
}

void quietLibraryLog() {
    lws_set_log_level(LLL_ERR, [](int, const char* line) { std::fprintf(stderr, "libwebsockets: %s", line); });
}

}  // namespace vantrel::relay
