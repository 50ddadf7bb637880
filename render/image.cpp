#include "render/image.h"

#include <stb_image.h>

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

std::optional<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error) {
    if (hasDdsMagic(bytes)) return decodeDds(bytes, error);
    if (bytes.empty() || bytes.size() > MAX_ASSET_FILE_BYTES) {
        if (error) *error = "image file is empty or too large";
        return std::nullopt;
    }
    int w = 0;
    int h = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4),
        &stbi_image_free);
    if (!pixels) {
        if (error) *error = std::string("image not decoded: ") + stbi_failure_reason();
        return std::nullopt;
    }
    if (w <= 0 || h <= 0 || w > MAX_IMAGE_EDGE || h > MAX_IMAGE_EDGE) {
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

}  // namespace vantrel::render
