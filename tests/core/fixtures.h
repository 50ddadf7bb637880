// Shared helpers for building worlds in tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "world/world.h"

namespace vantrel::test {

// A zeroed world on the heap (it is large), seeded with 1.
inline std::unique_ptr<World> makeWorld() {
    auto w = std::make_unique<World>();
    seedRandom(w->rngState, 1);
    return w;
}

// Places one aircraft directly, without the situation reader.
int addAircraft(World& w, float x, float y, float z, float heading, int type, int side, int aiMode = 0);

// A situation file image: header, player record, count and the given records.
struct FileRecord {
    float x, y, z, heading;
    int type, side, aiMode;
};
std::vector<uint8_t> situationBytes(int playerRecord, int count, const std::vector<FileRecord>& records);

// Writes bytes to a fresh file under the test temporary directory and returns its path.
std::string writeTempFile(const std::string& name, const std::vector<uint8_t>& bytes);

}  // namespace vantrel::test
