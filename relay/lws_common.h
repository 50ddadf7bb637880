// What the relay's server and the client's link do alike on libwebsockets.
#pragma once

#include <cstddef>

#include "net/wire.h"

struct lws;

namespace vantrel::relay {

// Every message leaves at once: a tick's keys are a few bytes that must not wait for more.
void disableNagle(lws* wsi);

// Adds a received fragment to the message being put together; true once it is whole. A message
// past limit keeps only limit + 1 bytes, enough for the reader to refuse it as too large.
bool appendFragment(lws* wsi, net::Bytes& message, const void* data, std::size_t size, std::size_t limit);

// Sends one binary message; false when the connection failed.
bool writeMessage(lws* wsi, const net::Bytes& message);

// The library's own log: errors only, each line marked as the WebSocket library's.
void quietLibraryLog();

}  // namespace vantrel::relay
