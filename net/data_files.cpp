#include "net/data_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "game/flow.h"

namespace vantrel::net {

namespace {

constexpr uint64_t FNV_OFFSET = 1469598103934665603ull;
constexpr uint64_t FNV_PRIME = 1099511628211ull;

bool hashFile(const std::filesystem::path& path, uint64_t& hash) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    hash = FNV_OFFSET;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        for (std::streamsize i = 0; i < file.gcount(); ++i) {
            hash ^= static_cast<uint8_t>(buffer[i]);
            hash *= FNV_PRIME;
        }
    }
    return !file.bad();
}

std::vector<std::string> simulationFiles() {
    std::vector<std::string> names{"map1.hd"};
    for (int mission = 1; mission <= MISSION_COUNT; ++mission)
        names.push_back(std::filesystem::path(situationPath("", mission)).filename().string());
    return names;
}

void appendPart(std::string& text, const std::string& part) {
    if (text.size() + part.size() + 2 > MAX_REASON_BYTES - 40) {
        if (text.find("...") == std::string::npos) text += "; ...";
        return;
    }
    if (!text.empty()) text += "; ";
    text += part;
}

}  // namespace

bool hashDataDirectory(const std::string& dir, std::vector<DataFileHash>& out, std::string& error) {
    out.clear();
    for (const std::string& name : simulationFiles()) {
        DataFileHash file{name, 0};
        const std::filesystem::path path = std::filesystem::path(dir) / name;
        if (!hashFile(path, file.hash)) {
            error = "data file " + path.string() + " cannot be read";
            return false;
        }
        out.push_back(std::move(file));
    }
    std::sort(out.begin(), out.end(), [](const DataFileHash& a, const DataFileHash& b) { return a.name < b.name; });
    return true;
}

std::string describeDataDifference(const std::vector<DataFileHash>& relay, const std::vector<DataFileHash>& client) {
    std::map<std::string, uint64_t> theirs;
    for (const DataFileHash& f : client) theirs[f.name] = f.hash;
    std::string text;
    for (const DataFileHash& f : relay) {
        const auto found = theirs.find(f.name);
        if (found == theirs.end()) {
            appendPart(text, f.name + " is missing");
        } else {
            if (found->second != f.hash) appendPart(text, f.name + " differs");
            theirs.erase(found);
        }
    }
    for (const auto& [name, hash] : theirs) appendPart(text, name + " is extra");
    return text;
}

}  // namespace vantrel::net
