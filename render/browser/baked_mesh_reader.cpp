// The browser build has no .x reader: it reads what vantrel-bake made of each file at build time.
#include "render/baked_mesh.h"
#include "render/meshes.h"

namespace vantrel::render {

std::vector<MeshFileResult> readMeshFiles(const std::vector<std::string>& paths) { return readBakedMeshFiles(paths); }

std::string meshFileRead(const std::string& meshFile) { return bakedMeshPath(meshFile); }

}  // namespace vantrel::render
