// The texture table: which file fills which slot, and turning decoded pictures into GL textures
// (RGBA8, full mip chain, linear filtering between and within levels, repeating).
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <string>

#include "render/device.h"
#include "render/image.h"

namespace vantrel::render {

// File of each slot, under the data directory; the index is what the type tables store.
extern const std::array<const char*, TEXTURE_COUNT> TEXTURE_FILES;

GLuint uploadTexture(const Image& image);
// Reads and uploads one file; 0 (and the reason in error) when it is missing or refused.
GLuint loadTextureFile(const std::string& path, std::string* error);
// A 1 x 1 opaque white texture: what an empty slot binds, so modulation leaves the diffuse.
GLuint createWhiteTexture();

}  // namespace vantrel::render
