// The texture table: which file fills which slot, and turning decoded pictures into GL textures
// (RGBA8, full mip chain, linear filtering between and within levels, repeating).
#pragma once

#include "render/gl_api.h"

#include <array>
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

// Reads, decodes and filters every file of the table; needs no GL.
std::array<DecodedTexture, TEXTURE_COUNT> decodeTextureTable(const std::string& dataDir);

GLuint uploadMipChain(const std::vector<Image>& levels);
// A 1 x 1 opaque white texture: what an empty slot binds, so modulation leaves the diffuse.
GLuint createWhiteTexture();

}  // namespace vantrel::render
