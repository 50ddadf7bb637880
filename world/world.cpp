#include "world/world.h"

namespace vantrel {

uint64_t hashWorld(const World& w) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&w);
    uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < sizeof(World); ++i) {
        h ^= bytes[i];
        h *= 1099511628211ull;
    }
    return h;
}

int humanSeatOf(const World& w, int slot) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat) && w.seats[seat].slot == slot) return seat;
    }
    return -1;
}

}  // namespace vantrel
