#include "net/join_code.h"

#include <cstring>

namespace vantrel::net {

namespace {

constexpr uint64_t ALPHABET_SIZE = sizeof JOIN_CODE_ALPHABET - 1;

}  // namespace

std::string drawJoinCode(const RandomSource& random) {
    // 31^6 is far below 2^64, so the remainders are as good as uniform.
    uint64_t bits = random();
    std::string code;
    for (int i = 0; i < JOIN_CODE_LENGTH; ++i) {
        code += JOIN_CODE_ALPHABET[bits % ALPHABET_SIZE];
        bits /= ALPHABET_SIZE;
    }
    return code;
}

std::optional<std::string> normalizeJoinCode(const std::string& typed) {
    if (typed.size() != JOIN_CODE_LENGTH) return std::nullopt;
    std::string code;
    for (char c : typed) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper == '\0' || std::strchr(JOIN_CODE_ALPHABET, upper) == nullptr) return std::nullopt;
        code += upper;
    }
    return code;
}

}  // namespace vantrel::net
