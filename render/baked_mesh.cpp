#include "render/baked_mesh.h"

#include <cstdint>
#include <cstring>

#include "render/image.h"

namespace vantrel::render {

namespace {

constexpr std::string_view MAGIC = "VTMESH01";
constexpr size_t FLOATS_PER_VERTEX = sizeof(MeshVertex) / sizeof(float);
static_assert(sizeof(MeshVertex) == 8 * sizeof(float), "a vertex is eight floats, as baked");

void putWord(std::string& out, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((word >> shift) & 0xff));
}

void putFloat(std::string& out, float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    putWord(out, word);
}

uint32_t wordAt(std::string_view bytes, size_t offset) {
    uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return word;
}

float floatAt(std::string_view bytes, size_t offset) {
    const uint32_t word = wordAt(bytes, offset);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

}  // namespace

std::string bakeMesh(const MeshData& mesh) {
    std::string out(MAGIC);
    putWord(out, static_cast<uint32_t>(mesh.subsets.size()));
    putWord(out, static_cast<uint32_t>(mesh.vertices.size()));
    for (const MeshSubset& s : mesh.subsets) {
        putWord(out, s.first);
        putWord(out, s.count);
    }
    for (const MeshVertex& v : mesh.vertices) {
        for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v}) putFloat(out, f);
    }
    return out;
}

std::optional<MeshData> readBakedMesh(std::string_view bytes, std::string& error) {
    const size_t header = MAGIC.size() + 8;
    if (bytes.size() < header || bytes.substr(0, MAGIC.size()) != MAGIC) {
        error = "not a baked mesh";
        return std::nullopt;
    }
    const uint64_t subsetCount = wordAt(bytes, MAGIC.size());
    const uint64_t vertexCount = wordAt(bytes, MAGIC.size() + 4);
    const uint64_t expected = header + subsetCount * 8 + vertexCount * FLOATS_PER_VERTEX * 4;
    if (bytes.size() != expected) {
        error = "a baked mesh of " + std::to_string(subsetCount) + " subsets and " + std::to_string(vertexCount) +
                " vertices needs " + std::to_string(expected) + " bytes, not " + std::to_string(bytes.size());
        return std::nullopt;
    }
    MeshData mesh;
    size_t at = header;
    for (uint64_t i = 0; i < subsetCount; ++i, at += 8) {
        const MeshSubset s{wordAt(bytes, at), wordAt(bytes, at + 4)};
        if (s.count % 3 != 0 || s.first > vertexCount || s.count > vertexCount - s.first) {
            error = "subset " + std::to_string(i) + " is not a triangle list inside the vertices";
            return std::nullopt;
        }
        mesh.subsets.push_back(s);
    }
    mesh.vertices.resize(vertexCount);
    for (MeshVertex& v : mesh.vertices) {
        for (float* f : {&v.x, &v.y, &v.z, &v.nx, &v.ny, &v.nz, &v.u, &v.v}) {
            *f = floatAt(bytes, at);
            at += 4;
        }
    }
    return mesh;
}

std::string bakedMeshPath(const std::string& meshFile) {
    const size_t slash = meshFile.find_last_of('/');
    const size_t dot = meshFile.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? meshFile.substr(0, dot) : meshFile) + ".mesh";
}

std::vector<MeshFileResult> readBakedMeshFiles(const std::vector<std::string>& meshFiles) {
    std::vector<MeshFileResult> results(meshFiles.size());
    for (size_t i = 0; i < meshFiles.size(); ++i) {
        const std::string path = bakedMeshPath(meshFiles[i]);
        std::string error;
        const auto bytes = readAssetFile(path, &error);
        if (bytes) {
            results[i].data =
                readBakedMesh(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), error);
            if (!results[i].data) error = path + ": " + error;
        }
        results[i].error = results[i].data ? "" : error;
    }
    return results;
}

}  // namespace vantrel::render
