// Meshes from DirectX .x files through assimp, kept in the file's left-handed coordinates: one
// vertex array per mesh, grouped into one subset per material in the file's material order, with
// every node's transform already applied.
#pragma once

#include <epoxy/gl.h>

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

// One result per path, in order. A file that cannot be read, parsed or that stops the parser
// leaves its own result empty and no other.
std::vector<MeshFileResult> readMeshFiles(const std::vector<std::string>& paths);

struct GpuMesh {
    GLuint vao = 0;
    GLuint vbo = 0;
    std::vector<MeshSubset> subsets;
};

GpuMesh uploadMesh(const MeshData& data);
void destroyMesh(GpuMesh& mesh);

}  // namespace vantrel::render
