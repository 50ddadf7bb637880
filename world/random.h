// The game's one pseudo-random generator: the C library's rand with a 15-bit range.
#pragma once

#include <cstdint>

namespace vantrel {

inline void seedRandom(uint32_t& state, uint32_t seed) { state = seed; }

// Advances the state and returns 0..32767.
inline int nextRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace vantrel
