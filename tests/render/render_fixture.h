// Shared set-up for render tests: a hidden 640 x 480 OpenGL window on SDL's offscreen driver
// (Mesa llvmpipe, no display), a real Device on it, and small writers for test pictures.
// Derive a test fixture from RenderTest; override dataDirectory() to load textures.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/device.h"
#include "world/world.h"

struct SDL_Window;

namespace vantrel::test {

// Opens SDL video (offscreen unless SDL_VIDEODRIVER says otherwise) and a hidden GL window, made
// as the game makes it for a picture at quality.
SDL_Window* openTestWindow(int width = render::SCREEN_WIDTH, int height = render::SCREEN_HEIGHT,
                           const render::RenderQuality& quality = render::RenderQuality{});

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Where the Device loads its 18 textures from; by default an empty directory, so every slot
    // is empty and binds as white.
    virtual std::string dataDirectory();

    // The window and device made again, the window as the game makes it for quality, and the
    // device set to it.
    void reopenFor(const render::RenderQuality& quality);

    render::Device& device() { return *device_; }
    // The current image, top row first, 0xAARRGGBB.
    std::vector<uint32_t> frame() const { return device_->readPixels(); }

    SDL_Window* window_ = nullptr;
    std::unique_ptr<render::Device> device_;
};

// An untextured screen-space rectangle, x0 <= x < x1, y0 <= y < y1, as a fan.
std::array<render::ScreenVertex, 4> screenQuad(float x0, float y0, float x1, float y1, uint32_t colour);
void drawScreenQuad(render::Device& d, float x0, float y0, float x1, float y1, uint32_t colour);

uint32_t pixelAt(const std::vector<uint32_t>& frame, int x, int y);
// Pixels in x0 <= x < x1, y0 <= y < y1 for which test holds.
int countPixels(const std::vector<uint32_t>& frame, int x0, int y0, int x1, int y1,
                const std::function<bool(uint32_t)>& test);
// Colour channels of 0xAARRGGBB.
inline int redOf(uint32_t c) { return int((c >> 16) & 0xFF); }
inline int greenOf(uint32_t c) { return int((c >> 8) & 0xFF); }
inline int blueOf(uint32_t c) { return int(c & 0xFF); }
inline int alphaOf(uint32_t c) { return int(c >> 24); }

// A mission world with the player in slot 0: type 0 (armour 80, guided missiles), side 1, full
// armour and ammunition, cruising level at height 20; no aircraft or projectile has a target.
std::unique_ptr<World> playerMissionWorld();

// A fresh empty directory under the test temporary directory.
std::string makeTempDirectory(const std::string& name);
// The data directory the build generated with vantrel-data (may not exist in a partial build).
std::string builtDataDirectory();

// Picture files, pixels given top row first as 0xAARRGGBB.
std::vector<uint8_t> bmp32Bytes(int width, int height, const std::vector<uint32_t>& pixels);
// An uncompressed 32-bit DDS with alpha (masks 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000).
std::vector<uint8_t> dds32Bytes(int width, int height, const std::vector<uint32_t>& pixels);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeTextFile(const std::string& path, const std::string& text);

}  // namespace vantrel::test
