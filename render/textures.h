// The texture table: which file fills which slot, and turning decoded pictures into GL textures
// (RGBA8, full mip chain, linear filtering between and within levels, repeating).
#pragma once

#include "render/gl_api.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/image.h"

namespace vantrel::render {

// File of each slot, under the data directory; the index is what the type tables store.
extern const std::array<const char*, TEXTURE_COUNT> TEXTURE_FILES;

// One slot's picture ready for upload: its mip chain, or none and why.
struct DecodedTexture {
    std::vector<Image> levels;
    std::string error;
};

GLuint uploadMipChain(const std::vector<Image>& levels);
// Sets the bound 2D texture to sample its first level linearly, clamped at its edges: for a
// texture drawn over the picture whole, such as a font atlas or a scaled-up view.
void filterLinearClampedToEdge();
// Binds texture for store() to give it its one level, filtered as filterLinearClampedToEdge
// says: a texture drawn into and then copied over the picture. The texture bound before is
// bound again after.
void makeCopiedTexture(GLuint texture, const std::function<void()>& store);
// The same with width x height RGB storage, as the picture has when it is not on the surface.
void makeCopiedRgbTexture(GLuint texture, int width, int height);
// A 1 x 1 opaque white texture: what an empty slot binds, so modulation leaves the diffuse.
GLuint createWhiteTexture();

// The slots' GL textures, each read from its file the first time it is asked for, so a scene
// holds only the textures it draws; a released slot is read again when next asked for. A file
// that cannot be read leaves its slot empty, with one line on standard error.
class TextureTable {
public:
    struct Texture {
        GLuint id = 0;       // 0: the slot is empty or outside the table
        bool opaque = true;  // every texel's alpha is 255 (taken as so for an empty slot)
    };
    void open(std::string dataDir);
    Texture get(int index);
    // Deletes the slot's texture; its former id, or 0 if it held none.
    GLuint release(int index);
    void releaseAll();
    // Whether a texture was read or released since the last call.
    bool takeChange();
    // The files of the slots that could not be read, in the order they were tried.
    const std::vector<std::string>& failedFiles() const { return failedFiles_; }

private:
    struct Slot {
        GLuint id = 0;
        bool opaque = false;
        bool failed = false;
    };
    void load(int index);
    std::string dataDir_;
    std::array<Slot, TEXTURE_COUNT> slots_{};
    std::vector<std::string> failedFiles_;
    bool changed_ = false;
};

}  // namespace vantrel::render
