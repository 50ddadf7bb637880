// A decoded picture in memory: rows top first, 4 bytes per pixel in the order R, G, B, A.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel::render {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Largest edge accepted from any picture file, in pixels; bigger claims are refused as damage.
constexpr int MAX_IMAGE_EDGE = 8192;
// Largest picture or mesh file read into memory, in bytes.
constexpr size_t MAX_ASSET_FILE_BYTES = 64u << 20;

// Whole-file read; an absent, unreadable or oversized file gives nothing and says why.
std::optional<std::vector<uint8_t>> readAssetFile(const std::string& path, std::string* error);

// The full mip chain of a picture, level 0 first: each level halves the one before (rounding
// down, never below 1) by averaging 2 x 2 blocks.
std::vector<Image> mipChain(const Image& base);

// Every pixel's alpha is 255.
bool isOpaque(const Image& image);
// Pixels read back from GL as RGBA bytes with the bottom row first, as 0xAARRGGBB words with the
// top row first.
std::vector<uint32_t> argbFromRgbaRows(const std::vector<uint8_t>& bottomUpRgba, int width, int height);

// 0xAARRGGBB pixels as R, G, B, A bytes, the order PNG writers and the browser's canvas take.
std::vector<uint8_t> rgbaBytes(const std::vector<uint32_t>& argb);

// Decodes a .bmp (or anything stb_image knows) or, by its "DDS " magic, a .dds file.
std::optional<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error);

}  // namespace vantrel::render
