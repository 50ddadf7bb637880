// The DirectDraw Surface reader for the game's textures: the top level of a plain 2D surface,
// uncompressed 16, 24 or 32 bits per pixel with channel masks, or DXT1, DXT3 or DXT5 blocks.
// Everything else (cube maps, volumes, DX10 headers, premultiplied DXT2/DXT4) is refused. Every
// size and offset is checked against the buffer before it is read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "render/image.h"

namespace vantrel::render {

constexpr size_t DDS_HEADER_BYTES = 128;  // magic and the 124-byte header; pixels follow

bool hasDdsMagic(std::span<const uint8_t> bytes);
std::optional<Image> decodeDds(std::span<const uint8_t> bytes, std::string* error);

}  // namespace vantrel::render
