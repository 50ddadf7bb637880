// Feeds arbitrary bytes to the client's reader of relay messages. A refused message must say
// what is wrong; an accepted one must be exactly what the writer makes of what was read, so
// no field can hold a value the client was not written for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantrel::net::RelayMessage message;
    std::string error;
    if (!vantrel::net::decodeRelayMessage(data, size, message, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    const vantrel::net::Bytes again = vantrel::net::encodeRelayMessage(message);
    if (again != vantrel::net::Bytes(data, data + size)) __builtin_trap();
    return 0;
}
