// Feeds arbitrary bytes to the relay's reader of client messages. A refused message must say
// what is wrong; an accepted one must be exactly what the writer makes of what was read, so
// no field can hold a value the rest of the relay was not written for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantrel::net::ClientMessage message;
    std::string error;
    if (!vantrel::net::decodeClientMessage(data, size, message, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    const vantrel::net::Bytes again = vantrel::net::encodeClientMessage(message);
    if (again != vantrel::net::Bytes(data, data + size)) __builtin_trap();
    return 0;
}
