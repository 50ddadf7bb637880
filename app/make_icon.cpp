// vantrel-icon SIZE FILE.png: writes the game's icon for the desktop menu (run by the build).
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/icon.h"
#include "render/image.h"

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: vantrel-icon SIZE(16-1024) FILE.png\n");
        return 2;
    }
    const std::vector<uint32_t> argb = vantrel::iconPixels(size);
    const std::vector<uint8_t> rgba = vantrel::render::rgbaBytes(argb);
    if (stbi_write_png(argv[2], size, size, 4, rgba.data(), size * 4) == 0) {
        std::fprintf(stderr, "vantrel-icon: %s cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
