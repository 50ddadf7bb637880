#include "tools/vantrel-data/preview.h"

#include <filesystem>

#include "tools/vantrel-data/bytes.h"
#include "tools/vantrel-data/datadir.h"
#include "tools/vantrel-data/image.h"
#include "tools/vantrel-data/mesh.h"
#include "tools/vantrel-data/raster.h"

namespace vantrel::data {

namespace {

struct MeshView {
    const char* mesh;
    const char* texture;
    bool lit;
    double distance;
};
// Each aircraft texture with its mesh; types 0 and 1 share plane1.x.
constexpr MeshView MESH_VIEWS[] = {
    {"plane1.x", "plane11.bmp", true, 9},   {"plane1.x", "plane12.bmp", true, 9}, {"plane2.x", "plane21.bmp", true, 9},
    {"plane3.x", "plane31.bmp", true, 10},  {"plane4.x", "plane41.bmp", true, 9}, {"plane5.x", "plane51.bmp", true, 9},
    {"plane6.x", "plane61.bmp", true, 9},   {"shot1.x", "shot1.bmp", false, 8},   {"rocket.x", "rocket.bmp", false, 8},
    {"missile.x", "missile.bmp", false, 9}, {"sky.x", "sky.bmp", false, 0},
};

constexpr int TILE_W = 400, TILE_H = 300;

// Directions the camera looks from: front quarter above, side, top, rear quarter below.
const V3 EYE_DIRECTIONS[4] = {{-0.6, 0.45, -0.7}, {1.0, 0.08, 0.0}, {0.0, 1.0, 0.12}, {0.55, -0.4, 0.75}};
// For the sky, from inside: ahead at the horizon, looking up, looking down, toward the sun.
const V3 SKY_TARGETS[4] = {{0, 0.05, 1}, {0, 1, 0.3}, {0.2, -1, 0.1}, {-0.2, 0.8, -0.4}};

bool loadTexture(const std::string& path, Image& out, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, bytes)) return error = "cannot read " + path, false;
    const bool dds = path.ends_with(".dds");
    if (!(dds ? decodeDds(bytes, out, error) : decodeBmp(bytes, out, error))) return error = path + ": " + error, false;
    return true;
}

Image drawMeshViews(const Mesh& mesh, const Image& texture, const MeshView& mv) {
    Image sheet(TILE_W * 2, TILE_H * 2, rgb(0x8a96a4));
    for (int i = 0; i < 4; ++i) {
        Canvas canvas(TILE_W, TILE_H, 2);
        const bool inside = mv.distance == 0;
        const View view =
            inside ? View{{0, 0, 0}, SKY_TARGETS[i], 1.3} : View{EYE_DIRECTIONS[i] * mv.distance, {0, 0, 0}, 0.7};
        canvas.draw(mesh, texture, {}, view, mv.lit);
        const Image tile = canvas.finish();
        for (int y = 0; y < TILE_H; ++y)
            for (int x = 0; x < TILE_W; ++x)
                blendPixel(sheet, (i % 2) * TILE_W + x, (i / 2) * TILE_H + y, tile.at(x, y));
    }
    return sheet;
}

std::string stem(const std::string& name) { return name.substr(0, name.find('.')); }

}  // namespace

bool writePreviews(const std::string& dataDir, const std::string& outDir, std::string& error) {
    std::filesystem::create_directories(outDir);
    const std::filesystem::path in(dataDir), out(outDir);
    for (const DataFile& f : dataFiles()) {
        if (f.kind != FileKind::Bitmap && f.kind != FileKind::Sprite) continue;
        Image img;
        if (!loadTexture((in / f.name).string(), img, error)) return false;
        if (!writePng((out / (stem(f.name) + ".png")).string(), img)) return error = "cannot write previews", false;
    }
    for (const MeshView& mv : MESH_VIEWS) {
        std::vector<uint8_t> bytes;
        Mesh mesh;
        Image texture;
        if (!readFileBytes((in / mv.mesh).string(), bytes)) return error = "cannot read " + std::string(mv.mesh), false;
        if (!decodeX(std::string(bytes.begin(), bytes.end()), mesh, error))
            return error = mv.mesh + (": " + error), false;
        if (!loadTexture((in / mv.texture).string(), texture, error)) return false;
        const std::string name = "mesh-" + stem(mv.mesh) + "-" + stem(mv.texture) + ".png";
        if (!writePng((out / name).string(), drawMeshViews(mesh, texture, mv)))
            return error = "cannot write previews", false;
    }
    return true;
}

}  // namespace vantrel::data
