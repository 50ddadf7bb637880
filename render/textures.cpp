#include "render/textures.h"

namespace vantrel::render {

const std::array<const char*, TEXTURE_COUNT> TEXTURE_FILES = {
    "map1.bmp",     "exp.dds",     "smk.dds",     "bang.dds",     "2dtex.dds",  "sky.bmp",
    "sunlight.dds", "plane11.bmp", "plane12.bmp", "shot1.bmp",    "plane21.bmp", "plane31.bmp",
    "title.bmp",    "plane41.bmp", "plane51.bmp", "plane61.bmp",  "rocket.bmp", "missile.bmp",
};

namespace {

DecodedTexture decodeTextureFile(const std::string& path) {
    DecodedTexture out;
    const auto bytes = readAssetFile(path, &out.error);
    if (!bytes) return out;
    const auto image = decodeImage(*bytes, &out.error);
    if (!image) {
        out.error = path + ": " + out.error;
        return out;
    }
    // The chain is filtered here rather than by glGenerateMipmap, which on a software
    // rasteriser costs a tenth of a second at start-up.
    out.levels = mipChain(*image);
    return out;
}

}  // namespace

std::array<DecodedTexture, TEXTURE_COUNT> decodeTextureTable(const std::string& dataDir) {
    std::array<DecodedTexture, TEXTURE_COUNT> table;
    for (size_t i = 0; i < table.size(); ++i) table[i] = decodeTextureFile(dataDir + "/" + TEXTURE_FILES[i]);
    return table;
}

GLuint uploadMipChain(const std::vector<Image>& levels) {
    if (levels.empty()) return 0;
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (size_t level = 0; level < levels.size(); ++level) {
        const Image& l = levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, l.width, l.height, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, l.rgba.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size() - 1));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return id;
}

GLuint createWhiteTexture() {
    Image white;
    white.width = 1;
    white.height = 1;
    white.rgba = {255, 255, 255, 255};
    return uploadMipChain({white});
}

}  // namespace vantrel::render
