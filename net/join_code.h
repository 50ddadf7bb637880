// Join codes: the short text a host passes to the players who join. A code is the only way
// into a match (matches are never listed), so it is drawn from the random source and long
// enough that guessing one, at the relay's message rates, is hopeless.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantrel::net {

// Uniform 64-bit values: the system's random source in the programs, a seeded one in tests.
using RandomSource = std::function<uint64_t()>;

constexpr int JOIN_CODE_LENGTH = 6;
// No 0/O, 1/I/L: a code read aloud or off a screen is typed right.
constexpr char JOIN_CODE_ALPHABET[] = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";

std::string drawJoinCode(const RandomSource& random);

// The code a player typed, upper-cased, or nothing when it cannot be a join code.
std::optional<std::string> normalizeJoinCode(const std::string& typed);

}  // namespace vantrel::net
