// Meshes baked for the browser build, which has no .x reader: the desktop's reader runs at build
// time (vantrel-bake) and its triangles are stored as they came out, so both builds draw the
// same vertices. Layout, little-endian: the 8 bytes "VTMESH01", the subset count and the vertex
// count (uint32 each), then per subset its first vertex and vertex count (uint32 each), then per
// vertex x y z nx ny nz u v (float32 each).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/mesh_data.h"

namespace vantrel::render {

std::string bakeMesh(const MeshData& mesh);

// The mesh, or nothing with the reason in error when the bytes are not a whole baked mesh
// whose subsets are triangle lists inside its vertices.
std::optional<MeshData> readBakedMesh(std::string_view bytes, std::string& error);

// The file vantrel-bake makes of a mesh file: the same name with the extension .mesh.
std::string bakedMeshPath(const std::string& meshFile);

// For each mesh file, its baked form read from beside it, in order; a missing or damaged one
// leaves its own result empty with the reason, naming the baked file.
std::vector<MeshFileResult> readBakedMeshFiles(const std::vector<std::string>& meshFiles);

}  // namespace vantrel::render
