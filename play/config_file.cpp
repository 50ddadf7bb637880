#include "play/config_file.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vantrel {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string configFilePath(const std::string& fileName) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/vantrel/" + fileName;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/vantrel/" + fileName;
    return {};
}

std::optional<std::string> readTextFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::ifstream file(path);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<ConfigLine> configLines(std::string_view text) {
    std::vector<ConfigLine> lines;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++number;
        const std::string_view raw = text.substr(start, end - start);
        const std::string_view content = trimmed(raw.substr(0, raw.find('#')));
        const bool crlf = !raw.empty() && raw.back() == '\r';
        if (!content.empty()) lines.push_back({number, start, crlf ? end - 1 : end, content});
        start = end + 1;
    }
    return lines;
}

void readConfigLines(std::string_view text, const std::string& fileName, const char* lineForm,
                     const ConfigLineApplier& apply, std::vector<std::string>& problems) {
    for (const ConfigLine& line : configLines(text)) {
        const std::size_t equals = line.content.find('=');
        const std::string reason = equals == std::string_view::npos ? "expected \"" + std::string(lineForm) + "\""
                                                                    : apply(trimmed(line.content.substr(0, equals)),
                                                                            trimmed(line.content.substr(equals + 1)));
        if (!reason.empty()) problems.push_back(fileName + ":" + std::to_string(line.number) + ": " + reason);
    }
}

}  // namespace vantrel
