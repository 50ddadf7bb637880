// Meshes from DirectX .x files, kept in the file's left-handed coordinates: one vertex array per
// mesh, grouped into one subset per material in the file's material order, with every node's
// transform already applied. The desktop reads the .x files through assimp
// (desktop/x_mesh_reader.cpp); the browser build, which has no .x reader, reads what vantrel-bake
// made of them at build time (browser/baked_mesh_reader.cpp).
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/matrices.h"
#include "render/mesh_data.h"

namespace vantrel::render {

// One result per path, in order. A file that cannot be read, parsed or that stops the parser
// leaves its own result empty and no other.
std::vector<MeshFileResult> readMeshFiles(const std::vector<std::string>& paths);
// The file readMeshFiles opens for a mesh file: the .x file itself on the desktop, its baked form
// in the browser.
std::string meshFileRead(const std::string& meshFile);

// The triangle list with each distinct vertex stored once: the driver then transforms a vertex
// once for all the triangles that share it. vertices[indices[k]] is the list's vertex k, so the
// subsets' ranges count in indices.
struct IndexedMesh {
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;
};
IndexedMesh indexMesh(const std::vector<MeshVertex>& triangleList);

struct GpuMesh {
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint elements = 0;
    std::vector<MeshSubset> subsets;  // ranges of the element buffer
    BoundingSphere bound;             // of every vertex, in the mesh's own space
};

GpuMesh uploadMesh(const MeshData& data);
void destroyMesh(GpuMesh& mesh);

}  // namespace vantrel::render
