#include "world/world.h"

#include <cstring>

namespace vantrel {

void updateKeyState(KeyState& k, const uint8_t snapshot[256]) {
    std::memcpy(k.prevKeys, k.keys, sizeof k.keys);
    std::memcpy(k.keys, snapshot, sizeof k.keys);
}

uint64_t hashWorld(const World& w) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&w);
    uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < sizeof(World); ++i) {
        h ^= bytes[i];
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace vantrel
