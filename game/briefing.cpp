#include "game/briefing.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "game/flow.h"
#include "world/situation.h"

namespace vantrel {

namespace {

bool printable(char c) { return c >= 0x20 && c < 0x7F; }

constexpr std::size_t BRIEFING_MAX_BYTES = 1024;  // far more than two lines need

}  // namespace

std::string briefingPath(const std::string& dataDir, int n) { return dataDir + "/s" + std::to_string(n) + ".txt"; }

std::string titleFromHeader(const uint8_t* header, std::size_t size) {
    const std::size_t length = std::find(header, header + size, uint8_t{0}) - header;
    std::string title(header, header + length);
    return std::all_of(title.begin(), title.end(), printable) ? title : std::string{};
}

bool parseBriefing(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    std::istringstream in(text);
    std::vector<std::string> read;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const bool fits = line.size() <= BRIEFING_MAX_LINE_LENGTH && read.size() < BRIEFING_MAX_LINES;
        if (!fits || !std::all_of(line.begin(), line.end(), printable)) return false;
        read.push_back(line);
    }
    lines = std::move(read);
    return true;
}

MissionBriefing loadBriefing(const std::string& dataDir, int n) {
    MissionBriefing b;
    uint8_t header[SITUATION_HEADER_BYTES] = {};
    std::ifstream situation(situationPath(dataDir, n), std::ios::binary);
    if (situation.read(reinterpret_cast<char*>(header), sizeof header))
        b.title = titleFromHeader(header, sizeof header);
    std::ifstream file(briefingPath(dataDir, n), std::ios::binary);
    if (!file) return b;
    std::string text(BRIEFING_MAX_BYTES + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() <= BRIEFING_MAX_BYTES) parseBriefing(text, b.lines);
    return b;
}

}  // namespace vantrel
