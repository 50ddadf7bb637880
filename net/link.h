// A connection that carries whole binary messages, both ways, in order: the desktop's
// WebSocket, the browser's, or the tests' in-process network. Never blocks.
#pragma once

#include <string>

#include "net/wire.h"

namespace vantrel::net {

class MessageLink {
public:
    enum class State { Connecting, Open, Closed };

    virtual ~MessageLink() = default;
    // Does the transport's pending work: connecting, sending, receiving. Called by its user
    // every pass of the loop.
    virtual void poll() = 0;
    virtual State state() const = 0;
    // Why the link closed, worded for the player; empty while it is not closed.
    virtual std::string closeReason() const = 0;
    // Queues one message; dropped unless the link is open.
    virtual void send(Bytes message) = 0;
    // Takes the next received message; false when none is waiting.
    virtual bool receive(Bytes& message) = 0;
    // Closes after sending what is queued.
    virtual void close() = 0;
};

}  // namespace vantrel::net
