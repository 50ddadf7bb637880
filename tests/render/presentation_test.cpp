// The picture at the window's size: the world straight into it with the vertical field kept,
// the 640 x 480 design space of the screens scaled uniformly and centred inside it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "render/device.h"
#include "render/frame.h"
#include "render/gl_api.h"
#include "render/hud.h"
#include "render/hud_layout.h"
#include "render/image.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t CLEAR = 0xFF1464FF;
constexpr uint32_t RADAR_BLUE = 0xFF0000C0;
constexpr uint32_t SIGHT_YELLOW = 0xFFFFFF00;
constexpr uint32_t OTHER_CELLS = 0xFF404040;
constexpr int CELL_PIXELS = 16;

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels.at(size_t(y) * size_t(width) + size_t(x)); }
};

bool isGreenText(uint32_t c) { return greenOf(c) > 128 && redOf(c) < 64 && blueOf(c) < 64; }
// The radar background is drawn at alpha 100 over black.
bool isRadarBlue(uint32_t c) { return blueOf(c) > 40 && redOf(c) < 20 && greenOf(c) < 20; }
bool isYellowish(uint32_t c) { return redOf(c) > 40 && greenOf(c) > 40 && blueOf(c) < 16; }

struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int height() const { return bottom - top + 1; }
};
Box boxOf(const Picture& p, int y0, int y1, bool (*test)(uint32_t)) {
    Box b;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < p.width; ++x)
            if (test(p.at(x, y))) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// An atlas whose radar cell is blue and gun-sight cell yellow, every other cell grey.
std::string plainHudData() {
    const std::string dir = makeTempDirectory("presentation-data");
    constexpr int side = 4 * CELL_PIXELS;
    std::vector<uint32_t> atlas(size_t(side) * side, OTHER_CELLS);
    for (int y = 0; y < CELL_PIXELS; ++y)
        for (int x = 0; x < CELL_PIXELS; ++x) {
            atlas[size_t(y) * side + size_t(x)] = RADAR_BLUE;
            atlas[size_t(y + CELL_PIXELS) * side + size_t(x)] = SIGHT_YELLOW;
        }
    writeFile(dir + "/2dtex.dds", dds32Bytes(side, side, atlas));
    return dir;
}

// The player level at height 20 facing +z, the camera behind it, over level ground.
std::unique_ptr<World> missionWorld() {
    auto w = playerMissionWorld();
    std::fill(std::begin(w->heightmap), std::end(w->heightmap), uint8_t{40});
    w->aircraft[0].z = 5.0f;
    w->seats[PLAYER_SEAT].cameraPos = {0.0f, 20.0f, 0.0f};
    return w;
}

// A hidden window of the given size with its own device; draw fills the picture.
template <typename Draw>
Picture drawnPicture(int width, int height, const std::string& dataDir, Draw draw) {
    SDL_Window* window = openTestWindow(width, height);
    EXPECT_NE(window, nullptr) << SDL_GetError();
    if (!window) return {};
    Picture picture;
    {
        auto device = render::Device::initGraphics(window, dataDir);
        EXPECT_NE(device, nullptr);
        if (device) {
            device->createFont(render::FONT_SMALL, 20);
            device->createFont(render::FONT_LARGE, 40);
            draw(*device);
            picture = {device->layout().width, device->layout().height, device->readPixels()};
        }
    }
    SDL_DestroyWindow(window);
    return picture;
}

Picture hudPicture(int width, int height, const World& w) {
    return drawnPicture(width, height, plainHudData(), [&w](render::Device& device) {
        device.beginFrame();
        device.clear(BLACK);
        render::drawHud(device, w);
    });
}

// What the last present put on screen.
Picture shownPicture(SDL_Window* window) {
    Picture shown;
    SDL_GL_GetDrawableSize(window, &shown.width, &shown.height);
    std::vector<uint8_t> bottomUp(size_t(shown.width) * size_t(shown.height) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, shown.width, shown.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glReadBuffer(GL_BACK);
    shown.pixels = render::argbFromRgbaRows(bottomUp, shown.width, shown.height);
    return shown;
}

// Cells of different colours under a grid of one-pixel lines, so a shift, a flip or a smear of
// any pixel shows.
void drawPattern(render::Device& device) {
    const int w = device.layout().width;
    const int h = device.layout().height;
    device.beginFrame();
    device.clear(BLACK);
    for (int column = 0; column < 8; ++column)
        for (int row = 0; row < 6; ++row) {
            const auto colour = static_cast<uint32_t>(0xFF000000u | (column * 32u) << 16 | (row * 50u) << 8 | 200u);
            drawScreenQuad(device, float(w * column / 8), float(h * row / 6), float(w * (column + 1) / 8),
                           float(h * (row + 1) / 6), colour);
        }
    for (int x = 0; x < w; x += 3) drawScreenQuad(device, float(x), 0, float(x + 1), float(h), 0xFFFFFFFF);
    for (int y = 0; y < h; y += 4) drawScreenQuad(device, 0, float(y), float(w), float(y + 1), 0xFF00FF00);
}

}  // namespace

// The last window is made for a smaller 3D view, without depth: the full-size picture drawn on
// it keeps a framebuffer of its own, copied onto the window.
TEST(Present, AWindowOfThePicturesSizeShowsItPixelForPixel) {
    const render::RenderQuality high;
    const render::RenderQuality low = render::renderQuality(render::Quality::Low);
    for (const auto& [width, height, windowQuality] :
         {std::tuple{640, 480, high}, std::tuple{1000, 700, high}, std::tuple{640, 480, low}}) {
        SDL_Window* window = openTestWindow(width, height, windowQuality);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        {
            auto device = render::Device::initGraphics(window, makeTempDirectory("present-data"));
            ASSERT_NE(device, nullptr);
            drawPattern(*device);
            const std::vector<uint32_t> picture = device->readPixels();
            drawPattern(*device);  // again, shown with nothing read before
            device->present();
            EXPECT_TRUE(shownPicture(window).pixels == picture) << width << " x " << height;
            EXPECT_EQ(device->readPixels(), picture) << "present leaves the picture as it was";
        }
        SDL_DestroyWindow(window);
    }
}

TEST(Present, TheClassicPictureIsScaledIntoTheMiddleBetweenBlackBars) {
    SDL_Window* window = openTestWindow(1000, 700);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    {
        auto device =
            render::Device::initGraphics(window, makeTempDirectory("present-data"), render::Presentation::Classic);
        ASSERT_NE(device, nullptr);
        device->beginFrame();
        device->clear(CLEAR);
        device->present();
        const Picture shown = shownPicture(window);
        const render::PresentRect box = render::letterboxRect(1000, 700);
        ASSERT_GT(box.x, 1);
        const int middle = 350;
        EXPECT_EQ(shown.at(box.x - 1, middle), BLACK);
        EXPECT_EQ(shown.at(box.x + 1, middle), CLEAR);
        EXPECT_EQ(shown.at(500, middle), CLEAR);
        EXPECT_EQ(shown.at(box.x + box.width - 2, middle), CLEAR);
        EXPECT_EQ(shown.at(box.x + box.width, middle), BLACK);
    }
    SDL_DestroyWindow(window);
}

TEST(PictureLayout, DesignBoxIsScaledUniformlyAndCentredOnWholePixels) {
    const auto classicSize = render::pictureLayout(640, 480, render::Presentation::Native);
    EXPECT_EQ(classicSize.width, 640);
    EXPECT_EQ(classicSize.scale, 1.0f);
    EXPECT_EQ(classicSize.left, 0.0f);
    EXPECT_EQ(classicSize.top, 0.0f);
    const auto wide = render::pictureLayout(1280, 720, render::Presentation::Native);
    EXPECT_EQ(wide.width, 1280);
    EXPECT_EQ(wide.height, 720);
    EXPECT_EQ(wide.scale, 1.5f);
    EXPECT_EQ(wide.left, 160.0f);
    EXPECT_EQ(wide.top, 0.0f);
    const auto tall = render::pictureLayout(800, 1200, render::Presentation::Native);
    EXPECT_EQ(tall.scale, 1.25f);
    EXPECT_EQ(tall.left, 0.0f);
    EXPECT_EQ(tall.top, 300.0f);
    const auto odd = render::pictureLayout(641, 480, render::Presentation::Native);
    EXPECT_EQ(odd.scale, 1.0f);
    EXPECT_EQ(odd.left, 0.0f) << "half a pixel of margin rounds down to a whole one";
}

TEST(PictureLayout, ClassicAndEmptyDrawablesKeepThe640x480Picture) {
    for (const auto& p : {render::pictureLayout(1920, 1080, render::Presentation::Classic),
                          render::pictureLayout(0, 0, render::Presentation::Native),
                          render::pictureLayout(1280, -1, render::Presentation::Native)}) {
        EXPECT_EQ(p.width, 640);
        EXPECT_EQ(p.height, 480);
        EXPECT_EQ(p.scale, 1.0f);
        EXPECT_EQ(p.left, 0.0f);
    }
    EXPECT_EQ(render::scaledFontHeight(20, 1.5f), 30);
    EXPECT_EQ(render::scaledFontHeight(40, 2.25f), 90);
    EXPECT_EQ(render::scaledFontHeight(20, 0.01f), 1) << "never a font of no height";
}

TEST(WidePicture, HudKeepsItsPlacesInTheCentredBoxWithTallerGlyphs) {
    const auto world = missionWorld();
    const Picture narrow = hudPicture(640, 480, *world);
    const Picture wide = hudPicture(1280, 720, *world);
    ASSERT_EQ(narrow.width, 640);
    ASSERT_EQ(wide.width, 1280);
    ASSERT_EQ(wide.height, 720);

    const Box line = boxOf(narrow, 0, 60, isGreenText);
    const Box wideLine = boxOf(wide, 0, 90, isGreenText);
    ASSERT_GE(line.right, 0) << "instrument line at 640 x 480";
    ASSERT_GE(wideLine.right, 0) << "instrument line at 1280 x 720";
    EXPECT_NEAR(wideLine.left, 160 + 1.5 * line.left, 2.0) << "at the left of the box, not of the window";
    EXPECT_NEAR(wideLine.top, 1.5 * line.top, 2.0);
    EXPECT_NEAR(wideLine.height(), 1.5 * line.height(), 1.5) << "glyphs rasterised 1.5 times as tall";
    EXPECT_NEAR(wideLine.right - wideLine.left, 1.5 * (line.right - line.left), 4.0);

    // The radar's 100-pixel background around (60, 420) becomes 150 pixels around (250, 630);
    // its centre carries the player's own marker, so the probe sits just above it.
    EXPECT_TRUE(isRadarBlue(wide.at(250, 600)));
    EXPECT_TRUE(isRadarBlue(wide.at(180, 630)));
    EXPECT_TRUE(isRadarBlue(wide.at(320, 630)));
    EXPECT_TRUE(isRadarBlue(wide.at(250, 560)));
    EXPECT_FALSE(isRadarBlue(wide.at(168, 630)));
    EXPECT_FALSE(isRadarBlue(wide.at(332, 630)));
    EXPECT_FALSE(isRadarBlue(wide.at(250, 548)));
    // The gun sight at (320, 250) of the design space.
    EXPECT_TRUE(isYellowish(wide.at(640, 375)));

    for (int y = 0; y < wide.height; ++y) {
        for (const int x : {0, 100, 159, 1120, 1200, 1279}) {
            ASSERT_EQ(wide.at(x, y), BLACK) << "nothing of the head-up display outside the box, at " << x << "," << y;
        }
    }
}

TEST(WidePicture, SkyAndTerrainReachEveryEdge) {
    const auto world = missionWorld();
    const Picture p = drawnPicture(1280, 720, builtDataDirectory(), [&world](render::Device& device) {
        device.loadMeshTable(builtDataDirectory());
        render::renderFrame(device, *world);
    });
    ASSERT_EQ(p.width, 1280);
    ASSERT_EQ(p.height, 720);
    auto expectDrawn = [&p](int x, int y) {
        const uint32_t c = p.at(x, y);
        EXPECT_TRUE(c != CLEAR && c != BLACK) << "bare pixel at " << x << "," << y;
    };
    for (int x = 0; x < p.width; x += 7) {
        expectDrawn(x, 0);
        expectDrawn(x, p.height - 1);
    }
    for (int y = 0; y < p.height; y += 7) {
        expectDrawn(0, y);
        expectDrawn(p.width - 1, y);
    }
    for (const int x : {0, p.width - 1}) {
        const uint32_t ground = p.at(x, p.height - 1);
        EXPECT_GT(greenOf(ground), blueOf(ground)) << "terrain in the bottom corner at x " << x;
        const uint32_t sky = p.at(x, 0);
        EXPECT_GT(blueOf(sky), redOf(sky)) << "sky in the top corner at x " << x;
    }
}

TEST(WidePicture, ResizedWindowGetsAPictureOfItsNewSizeWithTheTitleRedrawn) {
    constexpr uint32_t TITLE_GREY = 0xFF303030;
    const std::string dir = makeTempDirectory("resize-data");
    writeFile(dir + "/title.bmp", bmp32Bytes(64, 48, std::vector<uint32_t>(64 * 48, TITLE_GREY)));
    auto w = std::make_unique<World>();
    w->gameMode = MODE_TITLE;
    w->tickCount = 32;  // "PUSH SPACE KEY" half faded
    SDL_Window* window = openTestWindow(640, 480);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    {
        auto device = render::Device::initGraphics(window, dir);
        ASSERT_NE(device, nullptr);
        render::renderFrame(*device, *w);
        render::renderFrame(*device, *w);  // the title's backdrop is now kept
        EXPECT_EQ(device->layout().width, 640);
        SDL_SetWindowSize(window, 1280, 720);
        render::renderFrame(*device, *w);
        const Picture p{device->layout().width, device->layout().height, device->readPixels()};
        ASSERT_EQ(p.width, 1280);
        ASSERT_EQ(p.height, 720);
        EXPECT_EQ(p.at(100, 360), BLACK) << "a margin, not the backdrop kept at the old size";
        EXPECT_EQ(p.at(1200, 360), BLACK);
        EXPECT_EQ(p.at(640, 360), TITLE_GREY);
        EXPECT_EQ(p.at(1100, 700), TITLE_GREY) << "the backdrop fills the scaled box";
    }
    SDL_DestroyWindow(window);
}

}  // namespace vantrel::test
