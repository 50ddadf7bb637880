// vantrel-bake DATA_DIR OUT_DIR: what the browser build cannot make itself, made at build time
// by the desktop's own readers: every mesh of the table as OUT_DIR/<name>.mesh (see
// render/baked_mesh.h), the .x reader's triangles exactly. A mesh the reader refuses stops the
// bake with its reason and exit status 2, so no page ships with a hole in its table.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/baked_mesh.h"
#include "render/device.h"
#include "render/meshes.h"

using namespace vantrel::render;

namespace {

constexpr int EXIT_BAD_INPUT = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "vantrel-bake: %s\n", message.c_str());
    return EXIT_BAD_INPUT;
}

std::string bakedName(const std::string& meshFile) {
    return std::filesystem::path(meshFile).replace_extension(".mesh").string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: vantrel-bake DATA_DIR OUT_DIR");
    const std::string dataDir = argv[1], outDir = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) return fail(outDir + ": " + ec.message());

    std::vector<std::string> paths;
    for (const char* file : MESH_FILES) paths.push_back(dataDir + "/" + file);
    const std::vector<MeshFileResult> results = readMeshFiles(paths);
    for (size_t i = 0; i < results.size(); ++i) {
        if (!results[i].data) return fail(results[i].error);
        const std::string out = outDir + "/" + bakedName(MESH_FILES[i]);
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        const std::string bytes = bakeMesh(*results[i].data);
        if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
            return fail(out + ": cannot be written");
        }
    }
    return 0;
}
