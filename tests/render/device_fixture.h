// What the device's tests share: a camera looking down +z, squares facing it, a data folder of
// small test textures, and a mesh file of two quads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/device.h"
#include "render_fixture.h"

namespace vantrel::test {

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t WHITE = 0xFFFFFFFF;

// A square facing the camera of lookForward(), centred on the view axis at distance z.
std::array<render::WorldVertex, 4> facingSquare(float half, float z, uint32_t colour);

// Eye at the origin looking along +z, the game's projection.
void lookForward(render::Device& d);

// Each colour channel of c within tolerance of r, g, b.
bool near(uint32_t c, int r, int g, int b, int tolerance = 2);

std::vector<uint32_t> solid(int w, int h, uint32_t colour);

// Two quads seen by lookForward(): the left one's normals point up (toward the light), the
// right one's down; each has its own material, under a frame that moves them 5 along z.
extern const char* const TWO_QUADS_X;
constexpr int LEFT_QUAD_X = 216;   // screen centre of the left quad at distance 5
constexpr int RIGHT_QUAD_X = 424;  // and of the right one

// Files for some slots: 7 plane11.bmp a flat colour, 12 title.bmp red above blue, 1 exp.dds
// green, 2 smk.dds cut short, 4 2dtex.dds half-transparent white, 13 plane41.bmp a one-texel
// black and white checker; 6 sunlight.dds is absent.
class DeviceTexturesTest : public RenderTest {
protected:
    std::string dataDirectory() override;
    // The texture's colour over the whole picture, modulated by white.
    uint32_t shownBy(int slot);

    std::string dir_;
};

}  // namespace vantrel::test
