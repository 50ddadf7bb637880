#include "fixtures.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "world/situation.h"

namespace vantrel::test {

int addAircraft(World& w, float x, float y, float z, float heading, int type, int side, int aiMode) {
    return spawnAircraft(w, x, y, z, heading, static_cast<int8_t>(type), static_cast<int8_t>(side),
                         static_cast<int8_t>(aiMode));
}

namespace {

void putU16(std::vector<uint8_t>& b, int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void putF32(std::vector<uint8_t>& b, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void putSlot(std::vector<uint8_t>& b, int v) {
    const auto bits = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> situationBytes(int playerRecord, int count, const std::vector<FileRecord>& records) {
    std::vector<uint8_t> b(50, 0);
    putU16(b, playerRecord);
    putU16(b, count);
    for (const FileRecord& r : records) {
        putF32(b, r.x);
        putF32(b, r.y);
        putF32(b, r.z);
        putF32(b, r.heading);
        putSlot(b, r.type);
        putSlot(b, r.side);
        putSlot(b, r.aiMode);
    }
    return b;
}

std::string writeTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    // Per process: ctest runs test cases side by side, and they reuse file names.
    const auto dir = std::filesystem::temp_directory_path() / ("vantrel-tests-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace vantrel::test
