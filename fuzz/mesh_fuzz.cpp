// Feeds arbitrary bytes as a .x file to the device's mesh reader (assimp in its child process,
// then our node walk and the reply through the pipe). It must refuse with a reason or give
// subsets that tile the vertex array in whole triangles.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/memory_file.h"
#include "render/meshes.h"

namespace {

void requireWholeTriangles(const vantrel::render::MeshData& mesh) {
    uint32_t next = 0;
    for (const auto& subset : mesh.subsets) {
        if (subset.first != next || subset.count % 3 != 0) __builtin_trap();
        next += subset.count;
    }
    if (next != mesh.vertices.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const vantrel::fuzz::MemoryFile file(data, size);
    const auto results = vantrel::render::readMeshFiles({file.path()});
    if (results.size() != 1) __builtin_trap();
    if (!results[0].data) {
        if (results[0].error.empty()) __builtin_trap();
        return 0;
    }
    requireWholeTriangles(*results[0].data);
    return 0;
}
