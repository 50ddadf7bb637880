#include "render_fixture.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel::test {

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

}  // namespace

SDL_Window* openTestWindow(int width, int height, const render::RenderQuality& quality) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    render::Device::requestContextAttributes(render::Presentation::Native, quality);
    return SDL_CreateWindow("vantrel test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

void RenderTest::SetUp() {
    window_ = openTestWindow();
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    device_ = render::Device::initGraphics(window_, dataDirectory());
    ASSERT_NE(device_, nullptr);
}

void RenderTest::reopenFor(const render::RenderQuality& quality) {
    TearDown();
    window_ = openTestWindow(render::SCREEN_WIDTH, render::SCREEN_HEIGHT, quality);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    device_ = render::Device::initGraphics(window_, dataDirectory());
    ASSERT_NE(device_, nullptr);
    device_->setQuality(quality);
}

void RenderTest::TearDown() {
    device_.reset();
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
}

std::string RenderTest::dataDirectory() { return makeTempDirectory("empty-data"); }

std::array<render::ScreenVertex, 4> screenQuad(float x0, float y0, float x1, float y1, uint32_t colour) {
    return {{{x0, y0, 0, 1, colour, 0, 0},
             {x0, y1, 0, 1, colour, 0, 1},
             {x1, y1, 0, 1, colour, 1, 1},
             {x1, y0, 0, 1, colour, 1, 0}}};
}

void drawScreenQuad(render::Device& d, float x0, float y0, float x1, float y1, uint32_t colour) {
    const auto q = screenQuad(x0, y0, x1, y1, colour);
    d.drawScreenFan(q.data(), 4);
}

uint32_t pixelAt(const std::vector<uint32_t>& frame, int x, int y) {
    return frame.at(size_t(y) * render::SCREEN_WIDTH + size_t(x));
}

int countPixels(const std::vector<uint32_t>& frame, int x0, int y0, int x1, int y1,
                const std::function<bool(uint32_t)>& test) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(pixelAt(frame, x, y)) ? 1 : 0;
    return n;
}

std::unique_ptr<World> playerMissionWorld() {
    auto w = std::make_unique<World>();
    w->gameMode = MODE_MISSION;
    w->seats[PLAYER_SEAT].slot = 0;
    for (Aircraft& a : w->aircraft) a.target = -1;
    for (Projectile& p : w->projectiles) p.target = -1;
    Aircraft& p = w->aircraft[0];
    p.type = 0;
    p.side = 1;
    p.armor = 80;
    p.gunAmmo = 800;
    p.launcherAmmo = 8;
    p.speed = 0.5f;
    p.y = 20.0f;
    return w;
}

// Per process: ctest runs cases of the same fixture side by side, and one case's set-up must not
// empty the folder another case is reading.
std::string makeTempDirectory(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("vantrel-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string builtDataDirectory() { return std::string(VANTREL_BINARY_DIR) + "/data"; }

std::vector<uint8_t> bmp32Bytes(int width, int height, const std::vector<uint32_t>& pixels) {
    const uint32_t imageBytes = uint32_t(width) * uint32_t(height) * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putU32(out, 54 + imageBytes);
    putU32(out, 0);
    putU32(out, 54);
    putU32(out, 40);
    putU32(out, uint32_t(width));
    putU32(out, uint32_t(height));  // positive: rows stored bottom first
    putU16(out, 1);
    putU16(out, 32);
    putU32(out, 0);  // BI_RGB
    putU32(out, imageBytes);
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) putU32(out, pixels.at(size_t(y) * size_t(width) + size_t(x)));
    return out;
}

std::vector<uint8_t> dds32Bytes(int width, int height, const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
    putU32(out, 124);
    putU32(out, 0x100F);  // caps, height, width, pitch, pixel format
    putU32(out, uint32_t(height));
    putU32(out, uint32_t(width));
    putU32(out, uint32_t(width) * 4);
    putU32(out, 0);
    putU32(out, 0);
    for (int i = 0; i < 11; ++i) putU32(out, 0);
    putU32(out, 32);
    putU32(out, 0x41);  // RGB with alpha
    putU32(out, 0);
    putU32(out, 32);
    putU32(out, 0x00FF0000);
    putU32(out, 0x0000FF00);
    putU32(out, 0x000000FF);
    putU32(out, 0xFF000000);
    putU32(out, 0x1000);  // texture
    for (int i = 0; i < 4; ++i) putU32(out, 0);
    for (const uint32_t p : pixels) putU32(out, p);
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
}

}  // namespace vantrel::test
