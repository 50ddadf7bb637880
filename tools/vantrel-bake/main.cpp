// vantrel-bake DATA_DIR OUT_DIR: what the browser build cannot make itself, made at build time
// by the desktop's own readers: every mesh of the table as OUT_DIR/<name>.mesh (see
// render/baked_mesh.h), the .x reader's triangles exactly, and the glyphs of the game's two
// fonts as OUT_DIR/font-<height>.glyphs at each baked height (render/glyph_atlas.h), SDL2_ttf's
// pixels exactly.
// Anything that cannot be read stops the bake with its reason and exit status 2, so no page
// ships with a hole in its tables.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <SDL_ttf.h>

#include "render/baked_mesh.h"
#include "render/desktop/glyph_raster.h"
#include "render/device.h"
#include "render/glyph_atlas.h"
#include "render/meshes.h"

using namespace vantrel::render;

namespace {

constexpr int EXIT_BAD_INPUT = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "vantrel-bake: %s\n", message.c_str());
    return EXIT_BAD_INPUT;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
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
        const std::string out = bakedMeshPath(outDir + "/" + MESH_FILES[i]);
        if (!writeFile(out, bakeMesh(*results[i].data))) return fail(out + ": cannot be written");
    }

    if (TTF_Init() != 0) return fail(std::string("fonts unavailable: ") + TTF_GetError());
    for (int designHeight : FONT_PIXEL_HEIGHTS) {
        for (int height : bakedFontHeights(designHeight)) {
            std::string error;
            const std::optional<GlyphAtlas> glyphs = rasteriseGlyphs(FONT_FILE, height, &error);
            if (!glyphs) return fail(error);
            const std::string out = outDir + "/" + bakedFontFile(height);
            if (!writeFile(out, bakeGlyphAtlas(*glyphs))) return fail(out + ": cannot be written");
        }
    }
    TTF_Quit();
    return 0;
}
