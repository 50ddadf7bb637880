// What the menu tells about each mission: its title, from the situation file's header, and a
// briefing of at most two short lines from the text file beside it ("s1.txt" beside
// "s1.au1"). Either may be missing or damaged; the menu then shows what is left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

constexpr int BRIEFING_MAX_LINES = 2;
constexpr std::size_t BRIEFING_MAX_LINE_LENGTH = 60;  // characters; the menu fits 62 small ones

struct MissionBriefing {
    std::string title;               // empty when the header holds no readable title
    std::vector<std::string> lines;  // empty when the briefing file is missing or damaged
};

// "<dataDir>/sN.txt" for mission n.
std::string briefingPath(const std::string& dataDir, int n);

// The header's text up to its first zero byte; empty unless it is printable ASCII.
std::string titleFromHeader(const uint8_t* header, std::size_t size);

// Lines of printable ASCII (a final newline and CR LF line ends allowed). False, with no
// lines kept, for more than two lines, an over-long line or any other byte.
bool parseBriefing(const std::string& text, std::vector<std::string>& lines);

// Title and briefing of mission n, whatever state the two files are in.
MissionBriefing loadBriefing(const std::string& dataDir, int n);

}  // namespace vantrel
