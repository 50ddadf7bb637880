// The device's mesh slots, filled from files, and how a mesh reaches the driver: its subsets one
// after another from its own vertex array, once or instanced (many placements of a one-subset
// mesh in one draw call, their combined matrices streamed in as per-instance attributes).
#pragma once

#include "render/gl_api.h"

#include <array>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/gl_program.h"
#include "render/meshes.h"
#include "render/stream_buffer.h"

namespace vantrel::render {

class MeshTable {
public:
    // Fills each named slot from its file, in order; a file that fails leaves its slot empty
    // with one line on standard error, and slots outside the table are ignored.
    void load(const std::vector<MeshFile>& files);
    void release();
    // The names of the files that could not be read, each once.
    const std::vector<std::string>& failedFiles() const { return failedFiles_; }
    // The mesh in a slot; null for an empty slot or one outside the table.
    const GpuMesh* find(int index) const;

    // Draws a one-subset mesh at each world matrix, with view and projection, unlit, in a few
    // instanced draws, leaving out the placements wholly outside the view. True when any was
    // drawn.
    bool drawInstances(const GpuMesh& mesh, const std::vector<Matrix>& worlds, const Matrix& view,
                       const Matrix& projection, bool overOpaqueTexture, StreamBuffer& stream,
                       const FixedFunctionProgram& program);

private:
    bool drawInstancesOnce(const GpuMesh& mesh, const Matrix* toClip, int count, bool overOpaqueTexture,
                           StreamBuffer& stream, const FixedFunctionProgram& program);

    std::array<GpuMesh, MESH_COUNT> meshes_{};
    std::vector<std::string> failedFiles_;
    std::vector<Matrix> toClip_;  // reused by drawInstances
};

// Draws the mesh's subsets from its vertex array, instances times (0: once, not instanced).
void drawMeshSubsets(const GpuMesh& mesh, int instances, bool overOpaqueTexture);

}  // namespace vantrel::render
