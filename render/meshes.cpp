#include "render/meshes.h"

#include <cstddef>

#include "render/gl_program.h"

namespace vantrel::render {

GpuMesh uploadMesh(const MeshData& data) {
    GpuMesh mesh;
    mesh.subsets = data.subsets;
    std::vector<Vec3> positions;
    for (const MeshVertex& v : data.vertices) positions.push_back({v.x, v.y, v.z});
    mesh.bound = boundingSphere(positions);
    glGenVertexArrays(1, &mesh.vao);
    glGenBuffers(1, &mesh.vbo);
    glBindVertexArray(mesh.vao);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.vertices.size() * sizeof(MeshVertex)),
                 data.vertices.data(), GL_STATIC_DRAW);
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
    if (mesh.vao) glDeleteVertexArrays(1, &mesh.vao);
    mesh = GpuMesh{};
}

}  // namespace vantrel::render
