#include "device_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel::test {

std::array<render::WorldVertex, 4> facingSquare(float half, float z, uint32_t colour) {
    return {{{-half, half, z, colour, 0, 0},
             {-half, -half, z, colour, 0, 1},
             {half, -half, z, colour, 1, 1},
             {half, half, z, colour, 1, 0}}};
}

void lookForward(render::Device& d) {
    d.setWorld(render::matrixIdentity());
    d.setView(render::matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
    d.setProjection(render::matrixPerspectiveFovLH(1.0471973f, 1.3333334f, 0.1f, 150.0f));
}

bool near(uint32_t c, int r, int g, int b, int tolerance) {
    return std::abs(redOf(c) - r) <= tolerance && std::abs(greenOf(c) - g) <= tolerance &&
           std::abs(blueOf(c) - b) <= tolerance;
}

std::vector<uint32_t> solid(int w, int h, uint32_t colour) { return std::vector<uint32_t>(size_t(w * h), colour); }

const char* const TWO_QUADS_X = R"(xof 0303txt 0032
Frame Root {
  FrameTransformMatrix {
    1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,5.0,1.0;;
  }
  Mesh Quads {
    8;
    -2.0;1.0;0.0;, -0.5;1.0;0.0;, -0.5;-1.0;0.0;, -2.0;-1.0;0.0;,
    0.5;1.0;0.0;, 2.0;1.0;0.0;, 2.0;-1.0;0.0;, 0.5;-1.0;0.0;;
    4;
    3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;4,6,7;;
    MeshNormals {
      8;
      0.0;1.0;0.0;, 0.0;1.0;0.0;, 0.0;1.0;0.0;, 0.0;1.0;0.0;,
      0.0;-1.0;0.0;, 0.0;-1.0;0.0;, 0.0;-1.0;0.0;, 0.0;-1.0;0.0;;
      4;
      3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;4,6,7;;
    }
    MeshTextureCoords {
      8;
      0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;, 0.0;0.0;, 0.25;0.0;, 0.25;0.75;, 0.0;0.75;;
    }
    MeshMaterialList {
      2;
      4;
      0,0,1,1;;
      Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
      Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
    }
  }
}
)";

std::string DeviceTexturesTest::dataDirectory() {
    const std::string dir = makeTempDirectory("device-textures");
    writeFile(dir + "/plane11.bmp", bmp32Bytes(4, 4, solid(4, 4, 0xFFC86428)));
    std::vector<uint32_t> split = solid(4, 4, 0xFFFF0000);
    std::fill(split.begin() + 8, split.end(), 0xFF0000FF);
    writeFile(dir + "/title.bmp", bmp32Bytes(4, 4, split));
    writeFile(dir + "/exp.dds", dds32Bytes(8, 8, solid(8, 8, 0xFF00FF00)));
    auto cut = dds32Bytes(8, 8, solid(8, 8, 0xFF00FF00));
    cut.resize(cut.size() - 1);
    writeFile(dir + "/smk.dds", cut);
    writeFile(dir + "/2dtex.dds", dds32Bytes(2, 2, solid(2, 2, 0x80FFFFFF)));
    std::vector<uint32_t> checker(64 * 64);
    for (size_t i = 0; i < checker.size(); ++i) checker[i] = ((i % 64 + i / 64) % 2) ? WHITE : BLACK;
    writeFile(dir + "/plane41.bmp", bmp32Bytes(64, 64, checker));
    dir_ = dir;
    return dir;
}

uint32_t DeviceTexturesTest::shownBy(int slot) {
    device().clear(BLACK);
    device().bindTexture(slot);
    drawScreenQuad(device(), 0, 0, 640, 480, WHITE);
    return pixelAt(frame(), 320, 240);
}

}  // namespace vantrel::test
