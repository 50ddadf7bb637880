// Meshes from DirectX .x files through assimp, kept in the file's left-handed coordinates: one
// vertex array per mesh, grouped into one subset per material in the file's material order, with
// every node's transform already applied.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/mesh_data.h"

namespace vantrel::render {

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
