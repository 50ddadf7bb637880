// The five missions, from a duel to a battle of thirty aircraft, as situation files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::data {

constexpr int MISSION_COUNT = 5;
constexpr float MISSION_FILE_LIMIT = 76.0f;  // file x and z; the world clamps aircraft at 304 = 76 x 4

// The bytes of situation file s<number>.au1, number 1..5.
std::vector<uint8_t> missionFile(int number);

// The text of briefing file s<number>.txt: two lines, the objective and the sides.
std::string missionBriefing(int number);

}  // namespace vantrel::data
