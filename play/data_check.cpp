#include "play/data_check.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "game/briefing.h"
#include "game/flow.h"
#include "render/device.h"
#include "render/meshes.h"
#include "render/textures.h"
#include "sound/binding.h"
#include "world/situation.h"
#include "world/world.h"

namespace vantrel {

namespace {

// Every file the game reads by name.
std::vector<std::string> gameDataFiles() {
    std::vector<std::string> names = {"map1.hd"};
    for (int n = 1; n <= MISSION_COUNT; ++n) {
        names.push_back("s" + std::to_string(n) + ".au1");
        names.push_back("s" + std::to_string(n) + ".txt");
    }
    for (const char* mesh : render::MESH_FILES) names.push_back(render::meshFileRead(mesh));
    names.insert(names.end(), render::TEXTURE_FILES.begin(), render::TEXTURE_FILES.end());
    names.insert(names.end(), std::begin(CHANNEL_FILES), std::end(CHANNEL_FILES));
    names.push_back(ENGINE_FILE);
    return names;
}

std::string readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Why a file that is there cannot be used, or an empty string.
std::string contentProblem(const std::string& dataDir, const std::string& name) {
    const std::string path = dataDir + "/" + name;
    if (name == "map1.hd") {
        const std::size_t size = readWhole(path).size();
        return size == GRID_SAMPLES ? "" : "holds " + std::to_string(size) + " bytes, not 10000";
    }
    if (name.ends_with(".au1")) {
        Situation s;
        std::string error;
        return loadSituation(path, s, error) ? "" : error;
    }
    if (name.ends_with(".txt")) {
        std::vector<std::string> lines;
        return parseBriefing(readWhole(path), lines) ? "" : "not a briefing of at most two short lines";
    }
    return {};
}

}  // namespace

std::vector<DataProblem> checkDataFiles(const std::string& dataDir) {
    std::vector<DataProblem> problems;
    for (const std::string& name : gameDataFiles()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(dataDir + "/" + name, ec)) {
            problems.push_back({name, "missing from " + dataDir});
        } else if (const std::string reason = contentProblem(dataDir, name); !reason.empty()) {
            problems.push_back({name, reason});
        }
    }
    return problems;
}

std::string dataProblemLine(const std::vector<std::string>& files) {
    if (files.empty()) return {};
    const std::string more = files.size() > 1 ? " AND " + std::to_string(files.size() - 1) + " MORE" : "";
    return "DATA FILE MISSING OR DAMAGED: " + files.front() + more;
}

}  // namespace vantrel
