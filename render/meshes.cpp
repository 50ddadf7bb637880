#include "render/meshes.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "render/gl_program.h"

namespace vantrel::render {

// Vertices are the same when every bit is: a vertex is never merged with one that differs in
// any way, nor -0 with +0.
IndexedMesh indexMesh(const std::vector<MeshVertex>& triangleList) {
    IndexedMesh mesh;
    std::unordered_map<std::string_view, uint32_t> firstIndex;
    firstIndex.reserve(triangleList.size());
    for (const MeshVertex& v : triangleList) {
        const std::string_view bits(reinterpret_cast<const char*>(&v), sizeof v);
        const auto [at, added] = firstIndex.try_emplace(bits, static_cast<uint32_t>(mesh.vertices.size()));
        if (added) mesh.vertices.push_back(v);
        mesh.indices.push_back(at->second);
    }
    return mesh;
}

GpuMesh uploadMesh(const MeshData& data) {
    GpuMesh mesh;
    mesh.subsets = data.subsets;
    std::vector<Vec3> positions;
    for (const MeshVertex& v : data.vertices) positions.push_back({v.x, v.y, v.z});
    mesh.bound = boundingSphere(positions);
    const IndexedMesh indexed = indexMesh(data.vertices);
    glGenVertexArrays(1, &mesh.vao);
    glGenBuffers(1, &mesh.vbo);
    glGenBuffers(1, &mesh.elements);
    glBindVertexArray(mesh.vao);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.elements);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexed.indices.size() * sizeof(uint32_t)),
                 indexed.indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexed.vertices.size() * sizeof(MeshVertex)),
                 indexed.vertices.data(), GL_STATIC_DRAW);
    constexpr auto stride = static_cast<GLsizei>(sizeof(MeshVertex));
    glEnableVertexAttribArray(ATTR_POSITION);
    glVertexAttribPointer(ATTR_POSITION, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, x)));
    glEnableVertexAttribArray(ATTR_NORMAL);
    glVertexAttribPointer(ATTR_NORMAL, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, nx)));
    glEnableVertexAttribArray(ATTR_UV);
    glVertexAttribPointer(ATTR_UV, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(MeshVertex, u)));
    glBindVertexArray(0);
    return mesh;
}

void destroyMesh(GpuMesh& mesh) {
    if (mesh.vbo) glDeleteBuffers(1, &mesh.vbo);
    if (mesh.elements) glDeleteBuffers(1, &mesh.elements);
    if (mesh.vao) glDeleteVertexArrays(1, &mesh.vao);
    mesh = GpuMesh{};
}

}  // namespace vantrel::render
