// A mesh as triangle lists in the .x file's left-handed coordinates, with no GL in sight: what
// the .x reader makes, what the browser build's baked meshes hold, and what uploadMesh sends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::render {

struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

struct MeshSubset {
    uint32_t first;  // first vertex of the subset's triangle list
    uint32_t count;  // vertices, three per triangle
};

struct MeshData {
    std::vector<MeshVertex> vertices;
    std::vector<MeshSubset> subsets;  // one per material, possibly empty
};

struct MeshFileResult {
    std::optional<MeshData> data;
    std::string error;  // why data is missing, naming the file
};

}  // namespace vantrel::render
