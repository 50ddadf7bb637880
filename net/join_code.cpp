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

std::string JoinAddress::text() const {
    const std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return (secure ? "wss://" : "") + shownHost + ":" + std::to_string(port) + "/" + code;
}

bool parseJoinAddress(const std::string& text, JoinAddress& out, std::string& error) {
    out = JoinAddress{};
    std::string rest = text;
    for (const std::string scheme : {"ws://", "wss://"}) {
        if (rest.rfind(scheme, 0) != 0) continue;
        rest = rest.substr(scheme.size());
        out.secure = scheme == "wss://";
        if (out.secure) out.port = DEFAULT_SECURE_PORT;
    }
    const std::size_t slash = rest.find('/');
    std::string hostPort = rest.substr(0, slash);
    std::string code = slash == std::string::npos ? "" : rest.substr(slash + 1);
    // A whole WebSocket address names the match by its path.
    const std::string pathPrefix = std::string(MATCH_PATH_PREFIX).substr(1);
    if (code.rfind(pathPrefix, 0) == 0) code = code.substr(pathPrefix.size());
    std::string port;
    if (!hostPort.empty() && hostPort[0] == '[') {
        const std::size_t close = hostPort.find(']');
        if (close == std::string::npos) {
            error = "unclosed [ in " + text;
            return false;
        }
        out.host = hostPort.substr(1, close - 1);
        if (close + 1 < hostPort.size()) {
            if (hostPort[close + 1] != ':') {
                error = "expected :PORT after ] in " + text;
                return false;
            }
            port = hostPort.substr(close + 2);
        }
    } else {
        const std::size_t colon = hostPort.find(':');
        out.host = hostPort.substr(0, colon);
        if (colon != std::string::npos) port = hostPort.substr(colon + 1);
    }
    if (out.host.empty()) {
        error = "no host in " + text + " (expected HOST:PORT/CODE)";
        return false;
    }
    if (!port.empty() || hostPort.back() == ':') {
        const bool digits =
            !port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos;
        out.port = digits ? std::stoi(port) : 0;
        if (out.port < 1 || out.port > 65535) {
            error = "the port in " + text + " is not a number from 1 to 65535";
            return false;
        }
    }
    if (!code.empty()) {
        const std::optional<std::string> normal = normalizeJoinCode(code);
        if (!normal) {
            error = "\"" + code + "\" is not a join code (" + std::to_string(JOIN_CODE_LENGTH) + " letters and digits)";
            return false;
        }
        out.code = *normal;
    }
    return true;
}

std::string codeOfPath(const std::string& path) {
    const std::string prefix = MATCH_PATH_PREFIX;
    if (path.rfind(prefix, 0) != 0) return {};
    return path.substr(prefix.size());
}

}  // namespace vantrel::net
