#include "render/meshes.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cstddef>
#include <string_view>

#include "render/gl_program.h"
#include "render/image.h"

namespace vantrel::render {

namespace {

// Triangles of one scene mesh placed by the node that refers to it.
struct PlacedMesh {
    const aiMesh* mesh;
    aiMatrix4x4 transform;
};

void collectPlacements(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent,
                       std::vector<PlacedMesh>& out) {
    const aiMatrix4x4 transform = parent * node.mTransformation;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        if (node.mMeshes[i] < scene.mNumMeshes) out.push_back({scene.mMeshes[node.mMeshes[i]], transform});
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        if (node.mChildren[i]) collectPlacements(scene, *node.mChildren[i], transform, out);
    }
}

void appendTriangles(const PlacedMesh& placed, std::vector<MeshVertex>& out) {
    const aiMesh& mesh = *placed.mesh;
    const aiMatrix3x3 normalTransform = aiMatrix3x3(placed.transform).Inverse().Transpose();
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;  // points and lines left by triangulation
        for (unsigned k = 0; k < 3; ++k) {
            const unsigned index = face.mIndices[k];
            if (index >= mesh.mNumVertices) continue;
            const aiVector3D p = placed.transform * mesh.mVertices[index];
            const aiVector3D n = mesh.mNormals ? normalTransform * mesh.mNormals[index] : aiVector3D(0, 0, 0);
            const aiVector3D uv = mesh.mTextureCoords[0] ? mesh.mTextureCoords[0][index] : aiVector3D(0, 0, 0);
            out.push_back({p.x, p.y, p.z, n.x, n.y, n.z, uv.x, uv.y});
        }
    }
}

// assimp 5.2 dereferences a null material when a text .x mesh's material list names no
// material, so such a file is refused before assimp sees it. Each material of the list is
// a { reference } or an inline Material block: a brace one level inside the list's own.
bool materialListsNameMaterials(const std::vector<uint8_t>& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.size() < 16 || !text.starts_with("xof ") || text.substr(8, 4) != "txt ") return true;
    constexpr std::string_view LIST = "MeshMaterialList";
    for (size_t at = text.find(LIST); at != std::string_view::npos; at = text.find(LIST, at + LIST.size())) {
        const size_t open = text.find('{', at);
        if (open == std::string_view::npos) return true;  // assimp refuses the truncated file itself
        int depth = 0;
        int materials = 0;
        for (size_t i = open; i < text.size(); ++i) {
            if (text[i] == '{' && ++depth == 2) ++materials;
            if (text[i] == '}' && --depth == 0) break;
        }
        if (materials == 0) return false;
    }
    return true;
}

}  // namespace

std::optional<MeshData> readMeshFile(const std::string& path, std::string* error) {
    const auto bytes = readAssetFile(path, error);
    if (!bytes) return std::nullopt;
    if (!materialListsNameMaterials(*bytes)) {
        if (error) *error = path + ": a mesh material list names no material";
        return std::nullopt;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(
        bytes->data(), bytes->size(), aiProcess_Triangulate | aiProcess_ConvertToLeftHanded, "x");
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        if (error) *error = path + ": " + importer.GetErrorString();
        return std::nullopt;
    }
    std::vector<PlacedMesh> placements;
    collectPlacements(*scene, *scene->mRootNode, aiMatrix4x4(), placements);

    MeshData data;
    for (unsigned material = 0; material < scene->mNumMaterials; ++material) {
        const auto first = static_cast<uint32_t>(data.vertices.size());
        for (const PlacedMesh& placed : placements) {
            if (placed.mesh->mMaterialIndex == material) appendTriangles(placed, data.vertices);
        }
        data.subsets.push_back({first, static_cast<uint32_t>(data.vertices.size()) - first});
    }
    return data;
}

GpuMesh uploadMesh(const MeshData& data) {
    GpuMesh mesh;
    mesh.subsets = data.subsets;
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
