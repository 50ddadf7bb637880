// Feeds arbitrary bytes to the DDS texture reader: it must refuse or decode without reading
// outside the buffer, and a decoded picture must hold exactly width x height pixels.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "render/dds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto image = vantrel::render::decodeDds(std::span<const uint8_t>(data, size), &error);
    if (image && image->rgba.size() != size_t(image->width) * size_t(image->height) * 4) __builtin_trap();
    return 0;
}
