// Feeds arbitrary bytes to the picture decoder the device loads textures with (BMP and the
// other formats stb_image knows, or DDS by its magic): it must refuse or give exactly
// width x height pixels within the edge limit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "render/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using vantrel::render::MAX_IMAGE_EDGE;
    std::string error;
    const auto image = vantrel::render::decodeImage(std::span<const uint8_t>(data, size), &error);
    if (!image) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (image->width <= 0 || image->height <= 0 || image->width > MAX_IMAGE_EDGE || image->height > MAX_IMAGE_EDGE)
        __builtin_trap();
    if (image->rgba.size() != size_t(image->width) * size_t(image->height) * 4) __builtin_trap();
    return 0;
}
