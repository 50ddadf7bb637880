#include "render/textures.h"

#include <cstdio>
#include <utility>

namespace vantrel::render {

const std::array<const char*, TEXTURE_COUNT> TEXTURE_FILES = {
    "map1.bmp",     "exp.dds",     "smk.dds",     "bang.dds",    "2dtex.dds",   "sky.bmp",
    "sunlight.dds", "plane11.bmp", "plane12.bmp", "shot1.bmp",   "plane21.bmp", "plane31.bmp",
    "title.bmp",    "plane41.bmp", "plane51.bmp", "plane61.bmp", "rocket.bmp",  "missile.bmp",
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

void filterLinearClampedToEdge() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void makeCopiedTexture(GLuint texture, const std::function<void()>& store) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture);
    store();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    filterLinearClampedToEdge();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void makeCopiedRgbTexture(GLuint texture, int width, int height) {
    makeCopiedTexture(texture, [width, height] {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    });
}

GLuint createWhiteTexture() {
    Image white;
    white.width = 1;
    white.height = 1;
    white.rgba = {255, 255, 255, 255};
    return uploadMipChain({white});
}

void TextureTable::open(std::string dataDir) {
    releaseAll();
    dataDir_ = std::move(dataDir);
    slots_ = {};
    failedFiles_.clear();
}

TextureTable::Texture TextureTable::get(int index) {
    if (index < 0 || index >= TEXTURE_COUNT) return {};
    Slot& slot = slots_[size_t(index)];
    if (!slot.id && !slot.failed) load(index);
    if (!slot.id) return {};
    return {slot.id, slot.opaque};
}

void TextureTable::load(int index) {
    Slot& slot = slots_[size_t(index)];
    const DecodedTexture decoded = decodeTextureFile(dataDir_ + "/" + TEXTURE_FILES[size_t(index)]);
    slot.id = uploadMipChain(decoded.levels);
    slot.opaque = slot.id && isOpaque(decoded.levels.front());
    slot.failed = !slot.id;
    if (slot.failed) {
        std::fprintf(stderr, "vantrel: texture %d left empty: %s\n", index, decoded.error.c_str());
        failedFiles_.push_back(TEXTURE_FILES[size_t(index)]);
    }
    changed_ = true;
}

GLuint TextureTable::release(int index) {
    if (index < 0 || index >= TEXTURE_COUNT) return 0;
    Slot& slot = slots_[size_t(index)];
    const GLuint id = std::exchange(slot.id, 0);
    if (!id) return 0;
    glDeleteTextures(1, &id);
    changed_ = true;
    return id;
}

void TextureTable::releaseAll() {
    for (int i = 0; i < TEXTURE_COUNT; ++i) release(i);
}

bool TextureTable::takeChange() { return std::exchange(changed_, false); }

}  // namespace vantrel::render
