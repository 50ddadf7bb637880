// What is wrong with the data directory as the game starts, so the player learns of it on the
// title screen and not only on the terminal: every file the game reads is there, and those that
// are cheap to read (the height grid, the situations and briefings) hold what the game can use.
// A texture or mesh that is there but damaged is found when the device reads it.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct DataProblem {
    std::string file;    // the file's name in the data directory
    std::string reason;  // for the terminal
};

std::vector<DataProblem> checkDataFiles(const std::string& dataDir);

// The title screen's line for the damaged or missing files (none: empty), naming the first:
// "DATA FILE MISSING OR DAMAGED: sky.bmp AND 2 MORE". The terminal has the reasons.
std::string dataProblemLine(const std::vector<std::string>& files);

}  // namespace vantrel
