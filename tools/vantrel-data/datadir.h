// The data directory: every file the game loads, how it is made and how it is checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::data {

enum class FileKind { HeightGrid, Situation, Briefing, Mesh, Bitmap, Sprite, Sound };

struct DataFile {
    const char* name;
    FileKind kind;
    std::vector<uint8_t> (*make)();
};

const std::vector<DataFile>& dataFiles();

// Writes every file into dir (created if missing). False with the reason on a write error.
bool writeDataDirectory(const std::string& dir, std::string& error);

// Everything wrong with a data directory, one line per problem naming the file; empty
// when the game will find every file present and loadable.
std::vector<std::string> checkDataDirectory(const std::string& dir);

}  // namespace vantrel::data
