#include "render/mesh_table.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace vantrel::render {

void MeshTable::load(const std::vector<MeshFile>& files) {
    std::vector<MeshFile> inTable = files;
    std::erase_if(inTable, [](const MeshFile& f) { return f.slot < 0 || f.slot >= MESH_COUNT; });
    std::vector<std::string> paths;
    for (const MeshFile& file : inTable) paths.push_back(file.path);
    const std::vector<MeshFileResult> results = readMeshFiles(paths);
    for (size_t i = 0; i < inTable.size(); ++i) {
        GpuMesh& mesh = meshes_[size_t(inTable[i].slot)];
        destroyMesh(mesh);
        if (results[i].data) {
            mesh = uploadMesh(*results[i].data);
        } else {
            std::fprintf(stderr, "vantrel: mesh %d left empty: %s\n", inTable[i].slot, results[i].error.c_str());
            const std::string name = inTable[i].path.substr(inTable[i].path.find_last_of('/') + 1);
            if (std::find(failedFiles_.begin(), failedFiles_.end(), name) == failedFiles_.end())
                failedFiles_.push_back(name);
        }
    }
}

void MeshTable::release() {
    for (GpuMesh& mesh : meshes_) destroyMesh(mesh);
}

const GpuMesh* MeshTable::find(int index) const {
    if (index < 0 || index >= MESH_COUNT || !meshes_[size_t(index)].vao) return nullptr;
    return &meshes_[size_t(index)];
}

bool MeshTable::drawInstances(const GpuMesh& mesh, const std::vector<Matrix>& worlds, const Matrix& view,
                              const Matrix& projection, bool overOpaqueTexture, StreamBuffer& stream,
                              const FixedFunctionProgram& program) {
    const int limit = StreamBuffer::capacity(sizeof(Matrix));
    const auto count = static_cast<int>(worlds.size());
    bool drawn = false;
    for (int first = 0; first < count; first += limit) {
        toClip_.clear();
        for (int k = first; k < std::min(count, first + limit); ++k) {
            const Matrix toClip = worlds[size_t(k)] * view * projection;
            if (!outsideViewVolume(toClip, mesh.bound)) toClip_.push_back(toClip);
        }
        if (toClip_.empty()) continue;
        drawn |= drawInstancesOnce(mesh, toClip_.data(), static_cast<int>(toClip_.size()), overOpaqueTexture, stream,
                                   program);
    }
    return drawn;
}

// The matrices are per-instance attributes of the mesh's vertex array only for this draw, so
// plain draws of the mesh never read them.
bool MeshTable::drawInstancesOnce(const GpuMesh& mesh, const Matrix* toClip, int count, bool overOpaqueTexture,
                                  StreamBuffer& stream, const FixedFunctionProgram& program) {
    const GLintptr first = stream.append(toClip, sizeof(Matrix), count);
    if (first < 0) return false;
    glBindVertexArray(mesh.vao);
    for (GLuint column = 0; column < 4; ++column) {
        const GLuint slot = ATTR_INSTANCE_TRANSFORM + column;
        glEnableVertexAttribArray(slot);
        glVertexAttribPointer(
            slot, 4, GL_FLOAT, GL_FALSE, sizeof(Matrix),
            reinterpret_cast<const void*>(first * GLintptr(sizeof(Matrix)) + GLintptr(column * sizeof(Matrix::m[0]))));
        glVertexAttribDivisor(slot, 1);
    }
    glUniform1i(program.instanced, 1);
    drawMeshSubsets(mesh, count, overOpaqueTexture);
    glUniform1i(program.instanced, 0);
    for (GLuint column = 0; column < 4; ++column) glDisableVertexAttribArray(ATTR_INSTANCE_TRANSFORM + column);
    return true;
}

// Meshes are opaque white, so over an opaque texture blending would leave the source colour as
// it is; without it the rasteriser need not read the picture underneath.
void drawMeshSubsets(const GpuMesh& mesh, int instances, bool overOpaqueTexture) {
    glBindVertexArray(mesh.vao);
    if (overOpaqueTexture) glDisable(GL_BLEND);
    for (const MeshSubset& subset : mesh.subsets) {
        if (subset.count == 0) continue;
        const auto* first = reinterpret_cast<const void*>(subset.first * sizeof(uint32_t));
        const auto count = static_cast<GLsizei>(subset.count);
        if (instances > 0)
            glDrawElementsInstanced(GL_TRIANGLES, count, GL_UNSIGNED_INT, first, instances);
        else
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, first);
    }
    if (overOpaqueTexture) glEnable(GL_BLEND);
}

}  // namespace vantrel::render
