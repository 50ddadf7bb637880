// Feeds arbitrary bytes to the height-grid loader as a file of any length, then samples the
// surface across and beyond the grid: every height must be finite whatever the samples hold.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/memory_file.h"
#include "world/terrain.h"

namespace {

// World x and z probed, in steps that land on cell corners, edges and interiors.
constexpr float PROBE_FROM = -450.0f;
constexpr float PROBE_TO = 450.0f;
constexpr float PROBE_STEP = 37.5f;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto w = std::make_unique<vantrel::World>();
    const vantrel::fuzz::MemoryFile file(data, size);
    if (!vantrel::loadHeightmap(*w, file.path())) __builtin_trap();
    for (float x = PROBE_FROM; x <= PROBE_TO; x += PROBE_STEP) {
        for (float z = PROBE_FROM; z <= PROBE_TO; z += PROBE_STEP) {
            if (!std::isfinite(vantrel::groundHeight(*w, x, z))) __builtin_trap();
        }
    }
    return 0;
}
