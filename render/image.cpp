#include "render/image.h"

#include <stb_image.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

#include "render/dds.h"

namespace vantrel::render {

std::optional<std::vector<uint8_t>> readAssetFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        if (error) *error = "cannot open " + path;
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > MAX_ASSET_FILE_BYTES) {
        if (error) *error = path + " is too large or unreadable";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        if (error) *error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

namespace {

bool edgesInRange(int w, int h) { return w > 0 && h > 0 && w <= MAX_IMAGE_EDGE && h <= MAX_IMAGE_EDGE; }

}  // namespace

std::optional<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error) {
    if (hasDdsMagic(bytes)) return decodeDds(bytes, error);
    if (bytes.empty() || bytes.size() > MAX_ASSET_FILE_BYTES) {
        if (error) *error = "image file is empty or too large";
        return std::nullopt;
    }
    int w = 0;
    int h = 0;
    int channels = 0;
    // The header's size is checked before decoding: stb_image would first allocate and fill
    // whatever a damaged header claims, a gigabyte from a 30-byte file.
    if (stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels) && !edgesInRange(w, h)) {
        if (error) *error = "image size is out of range";
        return std::nullopt;
    }
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4), &stbi_image_free);
    if (!pixels) {
        if (error) *error = std::string("image not decoded: ") + stbi_failure_reason();
        return std::nullopt;
    }
    if (!edgesInRange(w, h)) {
        if (error) *error = "image size is out of range";
        return std::nullopt;
    }
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(size_t(w) * size_t(h) * 4);
    std::memcpy(img.rgba.data(), pixels.get(), img.rgba.size());
    return img;
}

namespace {

// Each texel of the next level is the rounded mean of the 2 x 2 block above it; an edge of
// length 1 repeats its single row or column.
Image halve(const Image& above) {
    Image next;
    next.width = std::max(1, above.width / 2);
    next.height = std::max(1, above.height / 2);
    next.rgba.resize(size_t(next.width) * size_t(next.height) * 4);
    const auto at = [&](int x, int y, int c) {
        return unsigned{above.rgba[(size_t(std::min(y, above.height - 1)) * size_t(above.width) +
                                    size_t(std::min(x, above.width - 1))) *
                                       4 +
                                   size_t(c)]};
    };
    for (int y = 0; y < next.height; ++y) {
        for (int x = 0; x < next.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                const unsigned sum = at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                                     at(2 * x + 1, 2 * y + 1, c);
                next.rgba[(size_t(y) * size_t(next.width) + size_t(x)) * 4 + size_t(c)] = uint8_t((sum + 2) / 4);
            }
        }
    }
    return next;
}

}  // namespace

bool isOpaque(const Image& image) {
    for (size_t k = 3; k < image.rgba.size(); k += 4) {
        if (image.rgba[k] != 255) return false;
    }
    return true;
}

std::vector<Image> mipChain(const Image& base) {
    std::vector<Image> levels{base};
    while (levels.back().width > 1 || levels.back().height > 1) levels.push_back(halve(levels.back()));
    return levels;
}

std::vector<uint32_t> argbFromRgbaRows(const std::vector<uint8_t>& bottomUpRgba, int width, int height) {
    const auto w = size_t(std::max(width, 0));
    const auto h = size_t(std::max(height, 0));
    std::vector<uint32_t> topDown(w * h);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* row = bottomUpRgba.data() + (h - 1 - y) * w * 4;
        for (size_t x = 0; x < w; ++x) {
            const uint8_t* p = row + x * 4;
            topDown[y * w + x] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
        }
    }
    return topDown;
}

std::vector<uint8_t> rgbaBytes(const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> rgba(argb.size() * 4);
    for (std::size_t i = 0; i < argb.size(); ++i) {
        rgba[i * 4 + 0] = static_cast<uint8_t>(argb[i] >> 16);
        rgba[i * 4 + 1] = static_cast<uint8_t>(argb[i] >> 8);
        rgba[i * 4 + 2] = static_cast<uint8_t>(argb[i]);
        rgba[i * 4 + 3] = static_cast<uint8_t>(argb[i] >> 24);
    }
    return rgba;
}

}  // namespace vantrel::render
