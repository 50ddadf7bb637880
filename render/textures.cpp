#include "render/textures.h"

namespace vantrel::render {

const std::array<const char*, TEXTURE_COUNT> TEXTURE_FILES = {
    "map1.bmp",     "exp.dds",     "smk.dds",     "bang.dds",     "2dtex.dds",  "sky.bmp",
    "sunlight.dds", "plane11.bmp", "plane12.bmp", "shot1.bmp",    "plane21.bmp", "plane31.bmp",
    "title.bmp",    "plane41.bmp", "plane51.bmp", "plane61.bmp",  "rocket.bmp", "missile.bmp",
};

GLuint uploadTexture(const Image& image) {
    // The chain is filtered here rather than by glGenerateMipmap, which on a software
    // rasteriser costs a tenth of a second per large texture at start-up.
    const std::vector<Image> levels = mipChain(image);
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

GLuint loadTextureFile(const std::string& path, std::string* error) {
    const auto bytes = readAssetFile(path, error);
    if (!bytes) return 0;
    const auto image = decodeImage(*bytes, error);
    if (!image) {
        if (error) *error = path + ": " + *error;
        return 0;
    }
    return uploadTexture(*image);
}

GLuint createWhiteTexture() {
    Image white;
    white.width = 1;
    white.height = 1;
    white.rgba = {255, 255, 255, 255};
    return uploadTexture(white);
}

}  // namespace vantrel::render
