#include "render/meshes.h"

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>

#include "render/image.h"

// Present only in sanitizer builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

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

void appendVertex(const PlacedMesh& placed, const aiMatrix3x3& normalTransform, unsigned index,
                  std::vector<MeshVertex>& out) {
    const aiMesh& mesh = *placed.mesh;
    const aiVector3D p = placed.transform * mesh.mVertices[index];
    const aiVector3D n = mesh.mNormals ? normalTransform * mesh.mNormals[index] : aiVector3D(0, 0, 0);
    const aiVector3D uv = mesh.mTextureCoords[0] ? mesh.mTextureCoords[0][index] : aiVector3D(0, 0, 0);
    out.push_back({p.x, p.y, p.z, n.x, n.y, n.z, uv.x, uv.y});
}

bool faceIndicesValid(const aiFace& face, unsigned vertexCount) {
    for (unsigned k = 0; k < face.mNumIndices; ++k) {
        if (face.mIndices[k] >= vertexCount) return false;
    }
    return true;
}

// Polygons are split as fans here rather than by assimp's triangulation step, which asserts
// on a damaged file whose faces mix one- and two-index primitives with polygons. Points and
// lines draw nothing.
void appendTriangles(const PlacedMesh& placed, std::vector<MeshVertex>& out) {
    const aiMesh& mesh = *placed.mesh;
    const aiMatrix3x3 normalTransform = aiMatrix3x3(placed.transform).Inverse().Transpose();
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices < 3 || !faceIndicesValid(face, mesh.mNumVertices)) continue;
        for (unsigned k = 1; k + 1 < face.mNumIndices; ++k) {
            appendVertex(placed, normalTransform, face.mIndices[0], out);
            appendVertex(placed, normalTransform, face.mIndices[k], out);
            appendVertex(placed, normalTransform, face.mIndices[k + 1], out);
        }
    }
}

// assimp's C entry points, looked up in the reader process only: linked into the game, the
// library's relocated pages (about 1 MB) would stay in its memory for the whole run, and
// loading it would lengthen every start.
struct Importer {
    decltype(&aiImportFileFromMemory) importFromMemory = nullptr;
    decltype(&aiReleaseImport) release = nullptr;
    decltype(&aiGetErrorString) lastError = nullptr;
};

template <typename Function>
Function lookUp(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

std::optional<Importer> openImporter(std::string& error) {
    void* library = dlopen(ASSIMP_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = std::string("the .x reader library could not be loaded: ") + (reason ? reason : ASSIMP_LIBRARY);
        return std::nullopt;
    }
    const Importer importer{lookUp<decltype(&aiImportFileFromMemory)>(library, "aiImportFileFromMemory"),
                            lookUp<decltype(&aiReleaseImport)>(library, "aiReleaseImport"),
                            lookUp<decltype(&aiGetErrorString)>(library, "aiGetErrorString")};
    if (importer.importFromMemory && importer.release && importer.lastError) return importer;
    error = std::string(ASSIMP_LIBRARY) + " lacks the import functions";
    return std::nullopt;
}

MeshData meshOfScene(const aiScene& scene) {
    std::vector<PlacedMesh> placements;
    collectPlacements(scene, *scene.mRootNode, aiMatrix4x4(), placements);

    MeshData data;
    for (unsigned material = 0; material < scene.mNumMaterials; ++material) {
        const auto first = static_cast<uint32_t>(data.vertices.size());
        for (const PlacedMesh& placed : placements) {
            if (placed.mesh->mMaterialIndex == material) appendTriangles(placed, data.vertices);
        }
        data.subsets.push_back({first, static_cast<uint32_t>(data.vertices.size()) - first});
    }
    return data;
}

std::optional<MeshData> parseMesh(const Importer& importer, const std::vector<uint8_t>& bytes, std::string& error) {
    const aiScene* scene =
        importer.importFromMemory(reinterpret_cast<const char*>(bytes.data()), static_cast<unsigned>(bytes.size()),
                                  aiProcess_ConvertToLeftHanded, "x");
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        error = importer.lastError();
        if (scene) importer.release(scene);
        return std::nullopt;
    }
    MeshData data = meshOfScene(*scene);
    importer.release(scene);
    return data;
}

// One mesh's answer on the reader's pipe: this header, then the subsets and vertices, or the
// error text.
struct MeshReply {
    uint32_t parsed;
    uint32_t subsetCount;
    uint32_t vertexCount;
    uint32_t errorLength;
};

bool writeAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool sendMesh(int fd, const std::optional<Importer>& importer, const std::string& importerError,
              const std::string& path) {
    std::string error;
    std::optional<MeshData> data;
    try {
        if (!importer) {
            error = path + ": " + importerError;
        } else if (const auto bytes = readAssetFile(path, &error)) {
            data = parseMesh(*importer, *bytes, error);
            if (!data) error = path + ": " + error;
        }
    } catch (const std::exception& e) {
        error = path + ": the mesh reader failed: " + e.what();
    }
    if (!data) {
        const MeshReply reply{0, 0, 0, static_cast<uint32_t>(error.size())};
        return writeAll(fd, &reply, sizeof reply) && writeAll(fd, error.data(), error.size());
    }
    const MeshReply reply{1, static_cast<uint32_t>(data->subsets.size()), static_cast<uint32_t>(data->vertices.size()),
                          0};
    return writeAll(fd, &reply, sizeof reply) &&
           writeAll(fd, data->subsets.data(), data->subsets.size() * sizeof(MeshSubset)) &&
           writeAll(fd, data->vertices.data(), data->vertices.size() * sizeof(MeshVertex));
}

// A damaged count can ask for tens of gigabytes. The reader may hold a fixed allowance above
// what the game already holds, so such a file fails at once instead of exhausting the machine.
void limitReaderMemory() {
    constexpr uint64_t ALLOWANCE_BYTES = uint64_t{512} << 20;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (!line.starts_with("VmData:")) continue;
        const uint64_t heldBytes = std::strtoull(line.c_str() + 7, nullptr, 10) * 1024;
        const rlimit limit{heldBytes + ALLOWANCE_BYTES, heldBytes + ALLOWANCE_BYTES};
        setrlimit(RLIMIT_DATA, &limit);
        return;
    }
}

[[noreturn]] void readInChild(const std::vector<std::string>& paths, size_t first, int fd) {
    // A crash here must end this process quietly, not run the parent's crash reporting (nor,
    // in a sanitizer build, the fuzzer's, which would record the parent's input as a crash).
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL}) signal(sig, SIG_DFL);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    limitReaderMemory();
    std::string importerError;
    const std::optional<Importer> importer = openImporter(importerError);
    for (size_t i = first; i < paths.size(); ++i) {
        if (!sendMesh(fd, importer, importerError, paths[i])) _exit(1);
    }
    _exit(0);
}

// Reads everything the reader sends until it closes the pipe. A reader silent for longer
// than the deadline is taken to hang: what arrived so far is kept, and hung is set.
std::vector<uint8_t> readUntilClosed(int fd, bool& hung) {
    constexpr int SILENCE_LIMIT_MS = 10000;
    std::vector<uint8_t> received;
    uint8_t chunk[65536];
    hung = false;
    for (;;) {
        pollfd wait{fd, POLLIN, 0};
        const int ready = poll(&wait, 1, SILENCE_LIMIT_MS);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) hung = true;
        if (ready <= 0) return received;
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return received;
        received.insert(received.end(), chunk, chunk + got);
    }
}

// Takes one whole answer from the received bytes at offset; false when it is not all there.
bool takeReply(const std::vector<uint8_t>& received, size_t& offset, MeshFileResult& result) {
    MeshReply header{};
    if (received.size() - offset < sizeof header) return false;
    std::memcpy(&header, received.data() + offset, sizeof header);
    const uint8_t* body = received.data() + offset + sizeof header;
    const size_t subsetBytes = size_t{header.subsetCount} * sizeof(MeshSubset);
    const size_t vertexBytes = size_t{header.vertexCount} * sizeof(MeshVertex);
    const size_t bodySize = header.parsed ? subsetBytes + vertexBytes : header.errorLength;
    if (received.size() - offset - sizeof header < bodySize) return false;
    offset += sizeof header + bodySize;
    if (!header.parsed) {
        result.error.assign(reinterpret_cast<const char*>(body), bodySize);
        return true;
    }
    MeshData& data = result.data.emplace();
    data.subsets.resize(header.subsetCount);
    data.vertices.resize(header.vertexCount);
    if (subsetBytes) std::memcpy(data.subsets.data(), body, subsetBytes);
    if (vertexBytes) std::memcpy(data.vertices.data(), body + subsetBytes, vertexBytes);
    return true;
}

std::string describeEnd(int status, bool hung) {
    if (hung) return "the mesh reader gave no answer in time";
    if (WIFSIGNALED(status))
        return "the mesh reader stopped on the file (signal " + std::to_string(WTERMSIG(status)) + ")";
    return "the mesh reader gave no answer";
}

// Runs one reader over paths[first..] and fills the results it answers. Returns how many it
// answered; when that falls short of the rest, reason says why the next file got no answer.
size_t readFrom(const std::vector<std::string>& paths, size_t first, std::vector<MeshFileResult>& results,
                std::string& reason) {
    int fds[2];
    if (pipe(fds) != 0) {
        reason = std::strerror(errno);
        return 0;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        readInChild(paths, first, fds[1]);
    }
    close(fds[1]);
    if (child < 0) {
        reason = std::strerror(errno);
        close(fds[0]);
        return 0;
    }
    bool hung = false;
    const std::vector<uint8_t> received = readUntilClosed(fds[0], hung);
    close(fds[0]);
    if (hung) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    size_t answered = 0;
    size_t offset = 0;
    while (first + answered < paths.size() && takeReply(received, offset, results[first + answered])) ++answered;
    reason = describeEnd(status, hung);
    return answered;
}

}  // namespace

std::string meshFileRead(const std::string& meshFile) { return meshFile; }

// assimp aborts or crashes on some damaged files, so the files are read in a child process
// that sends the triangles back: a file that brings it down leaves only its own mesh unread,
// and a new reader carries on with the files after it.
std::vector<MeshFileResult> readMeshFiles(const std::vector<std::string>& paths) {
    std::vector<MeshFileResult> results(paths.size());
    for (size_t next = 0; next < paths.size();) {
        std::string reason;
        next += readFrom(paths, next, results, reason);
        if (next < paths.size()) {
            results[next].error = paths[next] + ": " + reason;
            ++next;
        }
    }
    return results;
}

}  // namespace vantrel::render
