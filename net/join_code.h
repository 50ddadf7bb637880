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

constexpr int DEFAULT_RELAY_PORT = 8031;
constexpr char MATCH_PATH_PREFIX[] = "/match/";

constexpr int DEFAULT_SECURE_PORT = 443;

// Where a player joins: "HOST[:PORT]/CODE" as the host's line prints it (a [v6] host is
// bracketed), or "wss://HOST[:PORT]/CODE" through a web server's TLS. The code is part of the
// WebSocket's path, so a web server in front of several relays can send every connection of a
// match to the same one.
struct JoinAddress {
    std::string host;
    int port = DEFAULT_RELAY_PORT;
    std::string code;     // empty: host a new match
    bool secure = false;  // TLS (wss)
    std::string path() const { return MATCH_PATH_PREFIX + code; }
    std::string text() const;
};

// False with the reason for text that names no host, a port outside 1..65535 or a malformed code.
bool parseJoinAddress(const std::string& text, JoinAddress& out, std::string& error);

// The join code of a WebSocket path "/match/CODE" ("" for "/match/" or any other path).
std::string codeOfPath(const std::string& path);

}  // namespace vantrel::net
