#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "render/device.h"
#include "render/fonts.h"
#include "render/meshes.h"
#include "render_fixture.h"

namespace vantrel::test {

namespace {

using render::Matrix;
using render::ScreenVertex;
using render::TextAlign;
using render::WorldVertex;

constexpr uint32_t BACKGROUND = 0xFF1464FF;
constexpr uint32_t BLACK = 0xFF000000;
constexpr uint32_t WHITE = 0xFFFFFFFF;

// A square facing the camera of lookForward(), centred on the view axis at distance z.
std::array<WorldVertex, 4> facingSquare(float half, float z, uint32_t colour) {
    return {{{-half, half, z, colour, 0, 0},
             {-half, -half, z, colour, 0, 1},
             {half, -half, z, colour, 1, 1},
             {half, half, z, colour, 1, 0}}};
}

// Eye at the origin looking along +z, the game's projection.
void lookForward(render::Device& d) {
    d.setWorld(render::matrixIdentity());
    d.setView(render::matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
    d.setProjection(render::matrixPerspectiveFovLH(1.0471973f, 1.3333334f, 0.1f, 150.0f));
}

bool near(uint32_t c, int r, int g, int b, int tolerance = 2) {
    return std::abs(redOf(c) - r) <= tolerance && std::abs(greenOf(c) - g) <= tolerance &&
           std::abs(blueOf(c) - b) <= tolerance;
}

std::vector<uint32_t> solid(int w, int h, uint32_t colour) { return std::vector<uint32_t>(size_t(w * h), colour); }

// Two quads seen by lookForward(): the left one's normals point up (toward the light), the
// right one's down; each has its own material, under a frame that moves them 5 along z.
constexpr const char* TWO_QUADS_X = R"(xof 0303txt 0032
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

constexpr int LEFT_QUAD_X = 216;   // screen centre of the left quad at distance 5
constexpr int RIGHT_QUAD_X = 424;  // and of the right one

class DeviceTest : public RenderTest {};

// Files for some slots: 7 plane11.bmp a flat colour, 12 title.bmp red above blue, 1 exp.dds
// green, 2 smk.dds cut short, 4 2dtex.dds half-transparent white, 13 plane41.bmp a one-texel
// black and white checker; 6 sunlight.dds is absent.
class DeviceTexturesTest : public RenderTest {
protected:
    std::string dataDirectory() override {
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

    // The texture's colour over the whole picture, modulated by white.
    uint32_t shownBy(int slot) {
        device().clear(BLACK);
        device().bindTexture(slot);
        drawScreenQuad(device(), 0, 0, 640, 480, WHITE);
        return pixelAt(frame(), 320, 240);
    }

    std::string dir_;
};

class DeviceMeshTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        dir_ = makeTempDirectory("device-meshes");
        writeTextFile(dir_ + "/quads.x", TWO_QUADS_X);
        writeTextFile(dir_ + "/broken.x", "xof 0303txt 0032\nMesh { 3; 1.0;2.0;");
        // A material list that names no material: assimp 5.2 would crash on it.
        writeTextFile(dir_ + "/no-materials.x",
                      "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;\n"
                      "1; 3;0,1,2;;\nMeshMaterialList { 1; 1; 0;; }\n}\n");
    }
    std::string dir_;
};

}  // namespace

TEST(Device, LetterboxKeepsTheAspectCentred) {
    const auto wide = render::letterboxRect(1280, 720);
    EXPECT_EQ(wide.x, 160);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 960);
    EXPECT_EQ(wide.height, 720);
    const auto tall = render::letterboxRect(640, 960);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 240);
    EXPECT_EQ(tall.width, 640);
    EXPECT_EQ(tall.height, 480);
    const auto doubled = render::letterboxRect(1280, 960);
    EXPECT_EQ(doubled.x, 0);
    EXPECT_EQ(doubled.width, 1280);
}

TEST(Device, NoWindowGivesNoDeviceAndTheCreationMessage) {
    ::testing::internal::CaptureStderr();
    const auto device = render::Device::initGraphics(nullptr, makeTempDirectory("no-window"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(device, nullptr);
    EXPECT_NE(err.find("Direct3Dの作成に失敗しました"), std::string::npos) << err;
}

TEST_F(DeviceTest, ClearFillsEveryPixelWithOpaqueColour) {
    device().clear(BACKGROUND);
    const auto f = frame();
    ASSERT_EQ(f.size(), size_t(render::SCREEN_WIDTH) * render::SCREEN_HEIGHT);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == BACKGROUND; }), 640 * 480);
    device().clear(0x00102030);  // the picture has no alpha of its own
    EXPECT_EQ(pixelAt(frame(), 5, 5), 0xFF102030u);
}

TEST_F(DeviceTest, ScreenQuadCoversExactlyItsPixels) {
    device().clear(BLACK);
    device().bindTexture(-1);
    drawScreenQuad(device(), 10, 10, 20, 20, WHITE);
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 10, 10, 20, 20, [](uint32_t c) { return c == WHITE; }), 100);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return c == WHITE; }), 100);
}

TEST_F(DeviceTest, ReadPixelsStartsWithTheTopRow) {
    device().clear(BLACK);
    drawScreenQuad(device(), 0, 0, 3, 1, WHITE);
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 0, 0), WHITE);
    EXPECT_EQ(pixelAt(f, 2, 0), WHITE);
    EXPECT_EQ(pixelAt(f, 0, 1), BLACK);
    EXPECT_EQ(pixelAt(f, 0, 479), BLACK);
}

TEST_F(DeviceTest, EmptyTextureSlotsBindAsWhite) {
    device().clear(BLACK);
    for (int slot : {0, 6, 17, -1, 18}) {
        device().bindTexture(slot);
        drawScreenQuad(device(), 0, 0, 640, 480, 0xFF336699);
        EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 0x33, 0x66, 0x99, 0)) << "slot " << slot;
    }
}

TEST_F(DeviceTest, AlphaBlendsSourceOverDestination) {
    device().clear(WHITE);
    drawScreenQuad(device(), 0, 0, 100, 100, 0x80FF0000);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 255, 127, 127));
    drawScreenQuad(device(), 0, 0, 100, 100, 0x00000000);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 255, 127, 127));
}

TEST_F(DeviceTest, WorldFanIsPlacedByTheMatrices) {
    device().clear(BLACK);
    lookForward(device());
    const auto square = facingSquare(1, 5, WHITE);
    device().drawWorldFan(square.data(), 4);
    auto f = frame();
    // Half-size 1 at distance 5 spans 1.732 / 5 of the half-height: 83 pixels each way.
    EXPECT_EQ(pixelAt(f, 320, 240), WHITE);
    EXPECT_EQ(pixelAt(f, 320, 240 - 80), WHITE);
    EXPECT_EQ(pixelAt(f, 320, 240 - 86), BLACK);
    EXPECT_EQ(pixelAt(f, 320 - 86, 240), BLACK);

    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(3, 0, 0));  // moves it to the right
    device().drawWorldFan(square.data(), 4);
    f = frame();
    EXPECT_EQ(pixelAt(f, 320, 240), BLACK);
    EXPECT_EQ(pixelAt(f, 320 + 234, 240), WHITE);
}

TEST_F(DeviceTest, WorldTrianglesDrawAListAndDropAnIncompleteOne) {
    device().clear(BLACK);
    lookForward(device());
    const auto s = facingSquare(1, 5, WHITE);
    const WorldVertex list[5] = {s[0], s[1], s[2], s[0], s[2]};  // one triangle and a stray pair
    device().drawWorldTriangles(list, 5);
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 320 - 40, 240 + 40), WHITE);  // inside (0, 1, 2)
    EXPECT_EQ(pixelAt(f, 320 + 40, 240 - 40), BLACK);  // the other half was never given whole
}

TEST_F(DeviceTest, DepthTestKeepsTheNearerSurfaceAndLetsEqualDepthDrawAgain) {
    device().clear(BLACK);
    lookForward(device());
    const auto nearGreen = facingSquare(1, 4, 0xFF00FF00);
    const auto farRed = facingSquare(2, 6, 0xFFFF0000);
    device().drawWorldFan(nearGreen.data(), 4);
    device().drawWorldFan(farRed.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00);

    const auto sameDepthBlue = facingSquare(1, 4, 0xFF0000FF);
    device().drawWorldFan(sameDepthBlue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF0000FF);

    device().clear(BLACK);  // clearing resets depth too
    device().drawWorldFan(farRed.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFFFF0000);
}

TEST_F(DeviceTest, NearerOnlyKeepsWhatIsEquallyFar) {
    device().clear(BLACK);
    lookForward(device());
    const auto red = facingSquare(1, 5, 0xFFFF0000);
    const auto blue = facingSquare(1, 5, 0xFF0000FF);
    const auto nearGreen = facingSquare(0.5f, 4, 0xFF00FF00);
    device().drawWorldFan(red.data(), 4);
    device().setNearerOnly(true);
    device().drawWorldFan(blue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFFFF0000u);
    device().drawWorldFan(nearGreen.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00u);
    device().setNearerOnly(false);
    device().drawWorldFan(nearGreen.data(), 4);  // equally near draws again once it is off
    device().drawWorldFan(blue.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(frame(), 320 + 60, 240), 0xFF0000FFu);
}

// Blending is skipped for opaque vertices over an opaque texture; the colours must not show it.
TEST_F(DeviceTexturesTest, OpaqueWorldTrianglesCoverAndTranslucentOnesBlend) {
    device().clear(0xFF0000FF);
    lookForward(device());
    device().bindTexture(7);  // opaque 0xC86428
    auto square = facingSquare(1, 5, WHITE);
    device().drawWorldFan(square.data(), 4);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 200, 100, 40, 0));
    device().clear(0xFF0000FF);
    square[2].diffuse = 0x00FFFFFF;  // one corner transparent: the square blends
    device().drawWorldFan(square.data(), 4);
    const uint32_t blended = pixelAt(frame(), 320, 240);
    EXPECT_GT(blueOf(blended), 40);
    EXPECT_LT(redOf(blended), 200);
    device().clear(0xFF0000FF);
    device().bindTexture(4);  // half-transparent white under opaque vertices
    square[2].diffuse = WHITE;
    device().drawWorldTriangles(square.data(), 3);
    EXPECT_TRUE(near(pixelAt(frame(), 320 - 40, 240 + 20), 128, 128, 255));
}

TEST_F(DeviceTest, ATriangleListLongerThanTheStreamBufferIsDrawnWhole) {
    device().clear(BLACK);
    lookForward(device());
    std::vector<WorldVertex> list;
    auto addSquare = [&list](float left, uint32_t colour) {
        const WorldVertex a{left, 0.5f, 5, colour, 0, 0}, b{left + 1, 0.5f, 5, colour, 0, 0};
        const WorldVertex c{left + 1, -0.5f, 5, colour, 0, 0}, d{left, -0.5f, 5, colour, 0, 0};
        list.insert(list.end(), {a, b, c, a, c, d});
    };
    addSquare(-2.0f, 0xFFFF0000);
    list.resize(90000, WorldVertex{0, 0, 5, WHITE, 0, 0});  // zero-area triangles: 2 MB in all
    addSquare(1.0f, 0xFF00FF00);
    device().drawWorldTriangles(list.data(), static_cast<int>(list.size()));
    const auto f = frame();
    EXPECT_EQ(pixelAt(f, 195, 240), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(f, 445, 240), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(f, 320, 240), BLACK);
}

TEST_F(DeviceTest, BothFacesOfATriangleAreDrawn) {
    device().clear(BLACK);
    lookForward(device());
    auto square = facingSquare(1, 5, WHITE);
    std::reverse(square.begin(), square.end());
    device().drawWorldFan(square.data(), 4);
    EXPECT_EQ(pixelAt(frame(), 320, 240), WHITE);
}

TEST_F(DeviceTest, FansWithTooFewVerticesDrawNothing) {
    device().clear(BLACK);
    const auto q = screenQuad(0, 0, 640, 480, WHITE);
    device().drawScreenFan(q.data(), 2);
    device().drawScreenFan(nullptr, 4);
    device().drawScreenFan(q.data(), -5);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
}

TEST_F(DeviceTest, ManyFansInAFrameAllArrive) {
    // More vertex data than the stream buffer holds, so it must restart mid-frame.
    device().clear(BLACK);
    for (int i = 0; i < 40000; ++i) {
        const float x = float(i % 640);
        drawScreenQuad(device(), x, 0, x + 1, 1, WHITE);
    }
    drawScreenQuad(device(), 0, 2, 640, 3, WHITE);
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 0, 0, 640, 1, [](uint32_t c) { return c == WHITE; }), 640);
    EXPECT_EQ(countPixels(f, 0, 2, 640, 3, [](uint32_t c) { return c == WHITE; }), 640);
}

TEST_F(DeviceTest, TriangleListLongerThanTheStreamIsDrawnWhole) {
    device().clear(BLACK);
    lookForward(device());
    const WorldVertex point{0, 0, 5, WHITE, 0, 0};
    std::vector<WorldVertex> list(200000 * 3, point);  // zero-area triangles, 14 MB of vertices
    const auto s = facingSquare(1, 5, WHITE);
    list.insert(list.end(), {s[0], s[1], s[2]});
    device().drawWorldTriangles(list.data(), int(list.size()));
    EXPECT_EQ(pixelAt(frame(), 320 - 40, 240 + 40), WHITE);
}

TEST_F(DeviceTest, WindowWithoutOpenGlGivesNoDevice) {
    SDL_Window* plain = SDL_CreateWindow("plain", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr);
    ::testing::internal::CaptureStderr();
    auto second = render::Device::initGraphics(plain, makeTempDirectory("plain-window"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    SDL_DestroyWindow(plain);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(err.find("ERROR"), std::string::npos) << err;
}

TEST_F(DeviceTest, PresentLeavesThePictureReadable) {
    device().clear(BLACK);
    drawScreenQuad(device(), 100, 100, 200, 200, WHITE);
    const auto before = frame();
    device().present();
    EXPECT_EQ(frame(), before);
    drawScreenQuad(device(), 300, 300, 310, 310, WHITE);  // drawing continues into the picture
    EXPECT_EQ(pixelAt(frame(), 305, 305), WHITE);
}

// A half-transparent quad, so the kept picture depends on the clear under it.
TEST_F(DeviceTest, AStaticLayerIsLetGoAfterAFrameThatDidNotUseIt) {
    int draws = 0;
    auto frameWith = [&](bool withLayer) {
        device().beginFrame();
        device().clear(BLACK);
        if (withLayer)
            device().drawStaticLayer(1, [&] {
                ++draws;
                drawScreenQuad(device(), 0, 0, 320, 240, WHITE);
            });
        return pixelAt(RenderTest::frame(), 10, 10);
    };
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(frameWith(false), BLACK);
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 2) << "the copy went with the frame without the layer";
    EXPECT_EQ(frameWith(true), WHITE);
    EXPECT_EQ(draws, 2);
}

TEST_F(DeviceTest, StaticLayerIsCopiedBackOnlyOverTheSameClearWithTheSameKey) {
    int draws = 0;
    auto layer = [&](uint64_t key, uint32_t colour) {
        device().drawStaticLayer(key, [&] {
            ++draws;
            drawScreenQuad(device(), 0, 0, 320, 240, colour);
        });
    };
    auto frameWith = [&](uint32_t clear, uint64_t key, uint32_t colour) {
        device().clear(clear);
        layer(key, colour);
        drawScreenQuad(device(), 600, 400, 610, 410, WHITE);  // drawn after the layer every frame
        return frame();
    };
    const auto first = frameWith(BLACK, 1, 0x80FF0000);
    EXPECT_TRUE(near(pixelAt(first, 10, 10), 128, 0, 0));
    EXPECT_EQ(frameWith(BLACK, 1, 0x80FF0000), first);
    EXPECT_EQ(draws, 1) << "the second frame copies the layer back";

    const auto overWhite = frameWith(WHITE, 1, 0x80FF0000);
    EXPECT_EQ(draws, 2) << "another clear colour under the layer";
    EXPECT_TRUE(near(pixelAt(overWhite, 10, 10), 255, 127, 127));
    EXPECT_EQ(pixelAt(overWhite, 400, 300), WHITE);

    const auto blue = frameWith(WHITE, 2, 0x800000FF);
    EXPECT_EQ(draws, 3) << "another key";
    EXPECT_TRUE(near(pixelAt(blue, 10, 10), 127, 127, 255));

    // Over something already drawn the layer is drawn as usual and nothing is kept of it.
    device().clear(WHITE);
    drawScreenQuad(device(), 0, 0, 5, 5, BLACK);
    layer(2, 0x800000FF);
    EXPECT_EQ(draws, 4);
    EXPECT_TRUE(near(pixelAt(frame(), 2, 2), 0, 0, 128));
    EXPECT_EQ(frameWith(WHITE, 2, 0x800000FF), blue);
    EXPECT_EQ(draws, 4);
}

TEST_F(DeviceTexturesTest, ATextureIsReadWhenFirstBoundAndReadAgainOnlyAfterARelease) {
    const std::string plane12 = dir_ + "/plane12.bmp";  // slot 8, written after the device started
    writeFile(plane12, bmp32Bytes(4, 4, solid(4, 4, 0xFF102030)));
    EXPECT_EQ(shownBy(8), 0xFF102030u);
    writeFile(plane12, bmp32Bytes(4, 4, solid(4, 4, 0xFF405060)));
    EXPECT_EQ(shownBy(8), 0xFF102030u) << "a texture once read is kept";
    device().releaseTexture(8);
    EXPECT_EQ(shownBy(8), 0xFF405060u) << "a released texture is read again";

    // Releasing the bound texture leaves no texture bound, not a deleted one.
    device().releaseTexture(8);
    drawScreenQuad(device(), 0, 0, 640, 480, 0xFF808080);
    EXPECT_EQ(pixelAt(frame(), 320, 240), 0xFF808080u);
    device().releaseTexture(1);  // never read: nothing to release
    EXPECT_EQ(shownBy(1), 0xFF00FF00u);
}

TEST_F(DeviceTexturesTest, TextureModulatedByDiffuse) {
    device().clear(BLACK);
    device().bindTexture(7);
    drawScreenQuad(device(), 0, 0, 640, 480, 0xFF808080);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 100, 50, 20));
    device().clear(BLACK);  // screen quads write depth 0, which nothing in the world passes
    lookForward(device());
    const auto square = facingSquare(1, 5, 0xFFFFFF00);
    device().drawWorldFan(square.data(), 4);
    EXPECT_TRUE(near(pixelAt(frame(), 320, 240), 200, 100, 0));
}

TEST_F(DeviceTexturesTest, TextureAlphaIsModulatedAndBlended) {
    device().clear(BLACK);
    device().bindTexture(4);
    drawScreenQuad(device(), 0, 0, 100, 100, WHITE);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 128, 128, 128));
    device().clear(BLACK);
    drawScreenQuad(device(), 0, 0, 100, 100, 0x80FFFFFF);
    EXPECT_TRUE(near(pixelAt(frame(), 50, 50), 64, 64, 64));
}

TEST_F(DeviceTexturesTest, TextureRowsRunTopDownWithV) {
    device().clear(BLACK);
    device().bindTexture(12);
    drawScreenQuad(device(), 0, 0, 640, 480, WHITE);
    const auto f = frame();
    // Away from the top and bottom edges, where repeating blends the far rows in.
    EXPECT_TRUE(near(pixelAt(f, 320, 100), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(f, 320, 380), 0, 0, 255));
}

TEST_F(DeviceTexturesTest, MinifiedTexturesSampleTheMipChain) {
    device().clear(0xFFFF0000);
    device().bindTexture(13);
    drawScreenQuad(device(), 0, 0, 7, 7, WHITE);  // 64 texels into 7 pixels: off the texel grid
    const auto f = frame();
    EXPECT_EQ(countPixels(f, 0, 0, 7, 7, [](uint32_t c) { return near(c, 128, 128, 128, 8); }), 49);
}

TEST_F(DeviceTexturesTest, SlotsKeepTheirIndicesWhateverFails) {
    device().clear(BLACK);
    device().bindTexture(1);  // exp.dds loads
    drawScreenQuad(device(), 0, 0, 10, 10, WHITE);
    device().bindTexture(2);  // smk.dds is damaged: white
    drawScreenQuad(device(), 10, 0, 20, 10, 0xFF406080);
    device().bindTexture(6);  // sunlight.dds is absent: white
    drawScreenQuad(device(), 20, 0, 30, 10, 0xFF406080);
    device().bindTexture(7);  // the next file still lands in its own slot
    drawScreenQuad(device(), 30, 0, 40, 10, WHITE);
    const auto f = frame();
    EXPECT_TRUE(near(pixelAt(f, 5, 5), 0, 255, 0));
    EXPECT_TRUE(near(pixelAt(f, 15, 5), 0x40, 0x60, 0x80, 0));
    EXPECT_TRUE(near(pixelAt(f, 25, 5), 0x40, 0x60, 0x80, 0));
    EXPECT_TRUE(near(pixelAt(f, 35, 5), 200, 100, 40));
}

// Meshes are white and opaque: over an opaque texture they cover what is under them exactly,
// over a half-transparent one they still blend.
TEST_F(DeviceTexturesTest, MeshesBlendOnlyWhereTheirTextureIsTranslucent) {
    const std::string dir = makeTempDirectory("device-texture-meshes");
    writeTextFile(dir + "/quads.x", TWO_QUADS_X);
    device().loadMeshes({{1, dir + "/quads.x"}});
    auto meshOver = [&](uint32_t clear, int texture) {
        device().clear(clear);
        lookForward(device());
        device().bindTexture(texture);
        device().drawMeshSubsets(1);
        return pixelAt(frame(), LEFT_QUAD_X, 240);
    };
    EXPECT_TRUE(near(meshOver(BLACK, 7), 200, 100, 40, 0));
    EXPECT_TRUE(near(meshOver(WHITE, 7), 200, 100, 40, 0));
    EXPECT_TRUE(near(meshOver(BLACK, 4), 128, 128, 128));
    EXPECT_TRUE(near(meshOver(0xFF0000FF, 4), 128, 128, 255));
    EXPECT_TRUE(near(meshOver(0xFF0000FF, -1), 255, 255, 255, 0)) << "white: no texture";
    device().bindTexture(4);
    drawScreenQuad(device(), 0, 0, 10, 10, WHITE);  // blending is on again after a mesh
    EXPECT_TRUE(near(pixelAt(frame(), 5, 5), 128, 128, 255));
}

// The two quads as one subset with one material.
std::string oneSubsetQuads() {
    std::string x = TWO_QUADS_X;
    const std::string twoMaterials = "      2;\n      4;\n      0,0,1,1;;\n";
    x.replace(x.find(twoMaterials), twoMaterials.size(), "      1;\n      4;\n      0,0,0,0;;\n");
    const size_t second = x.rfind("      Material {");
    x.erase(second, x.find('\n', second) + 1 - second);
    return x;
}

// Half-transparent and overlapping at different depths, so any change of order, matrix or
// blending shows in the picture; for a mesh of one subset (drawn instanced) and of two.
TEST_F(DeviceTexturesTest, MeshInstancesDrawLikeOneMeshAfterAnother) {
    const std::string dir = makeTempDirectory("device-instances");
    writeTextFile(dir + "/one.x", oneSubsetQuads());
    writeTextFile(dir + "/two.x", TWO_QUADS_X);
    device().loadMeshes({{1, dir + "/one.x"}, {2, dir + "/two.x"}});
    ASSERT_EQ(device().meshSubsetCount(1), 1u);
    ASSERT_EQ(device().meshSubsetCount(2), 2u);
    const std::vector<Matrix> worlds = {render::matrixTranslation(0.0f, 0.0f, 0.0f),
                                        render::matrixTranslation(0.7f, 0.3f, -0.5f),
                                        render::matrixScaling(0.5f) * render::matrixTranslation(-0.4f, -0.2f, 1.0f),
                                        render::matrixRotationZ(0.6f) * render::matrixTranslation(0.2f, 0.1f, 0.3f)};
    for (int mesh : {1, 2}) {
        SCOPED_TRACE(mesh);
        auto picture = [&](bool instanced) {
            device().clear(BLACK);
            lookForward(device());
            device().setLighting(true);  // instances are drawn unlit whatever the setting
            device().bindTexture(4);
            if (instanced) {
                device().drawMeshInstances(mesh, worlds);
            } else {
                device().setLighting(false);
                for (const Matrix& w : worlds) {
                    device().setWorld(w);
                    device().drawMeshSubsets(mesh);
                }
            }
            device().setLighting(false);
            return frame();
        };
        const auto oneByOne = picture(false);
        EXPECT_GT(countPixels(oneByOne, 0, 0, 640, 480, [](uint32_t c) { return redOf(c) > 150; }), 1000)
            << "overlaps blend twice";
        EXPECT_EQ(picture(true), oneByOne);

        auto plain = [&] {
            device().clear(BLACK);
            lookForward(device());
            device().drawMeshSubsets(mesh);
            return frame();
        };
        const auto before = plain();
        device().drawMeshInstances(mesh, worlds);
        EXPECT_EQ(plain(), before) << "a plain draw after instances";
        device().drawMeshInstances(mesh, {});
        device().drawMeshInstances(5, worlds);  // an empty slot
        EXPECT_EQ(plain(), before);
    }
}

TEST_F(DeviceMeshTest, MeshKeepsFileCoordinatesSubsetsAndFrameTransform) {
    const auto results = render::readMeshFiles({dir_ + "/quads.x"});
    const auto& mesh = results[0].data;
    ASSERT_TRUE(mesh) << results[0].error;
    ASSERT_EQ(mesh->subsets.size(), 2u);
    EXPECT_EQ(mesh->subsets[0].count, 6u);
    EXPECT_EQ(mesh->subsets[1].count, 6u);
    EXPECT_EQ(mesh->subsets[1].first, 6u);
    float minX = 1e9f, maxX = -1e9f;
    for (uint32_t i = 0; i < 6; ++i) {
        const auto& v = mesh->vertices[i];
        EXPECT_FLOAT_EQ(v.z, 5.0f);  // the frame's translation, in the file's left-handed axes
        EXPECT_FLOAT_EQ(v.ny, 1.0f);
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
    }
    EXPECT_FLOAT_EQ(minX, -2.0f);
    EXPECT_FLOAT_EQ(maxX, -0.5f);
    for (uint32_t i = 6; i < 12; ++i) {
        const auto& v = mesh->vertices[i];
        EXPECT_FLOAT_EQ(v.ny, -1.0f);
        if (v.x == 2.0f && v.y == -1.0f) {
            EXPECT_FLOAT_EQ(v.u, 0.25f);  // texture coordinates as written
            EXPECT_FLOAT_EQ(v.v, 0.75f);
        }
    }
}

TEST_F(DeviceMeshTest, SubsetCountsAndEmptySlots) {
    device().loadMeshes({{1, dir_ + "/quads.x"},
                         {2, dir_ + "/missing.x"},
                         {3, dir_ + "/broken.x"},
                         {4, dir_ + "/no-materials.x"},
                         {10, dir_ + "/quads.x"}});  // outside the table: ignored
    EXPECT_EQ(device().meshSubsetCount(1), 2u);
    EXPECT_EQ(device().meshSubsetCount(2), 0u);
    EXPECT_EQ(device().meshSubsetCount(3), 0u);
    EXPECT_EQ(device().meshSubsetCount(4), 0u);
    EXPECT_EQ(device().meshSubsetCount(-1), 0u);
    EXPECT_EQ(device().meshSubsetCount(10), 0u);

    device().clear(BLACK);
    lookForward(device());
    for (int slot : {2, 3, -1, 10}) device().drawMeshSubsets(slot);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
    device().drawMeshSubsets(1);
    EXPECT_EQ(pixelAt(frame(), LEFT_QUAD_X, 240), WHITE);  // unlit, untextured: the white material
    EXPECT_EQ(pixelAt(frame(), RIGHT_QUAD_X, 240), WHITE);

    device().releaseMeshes();
    EXPECT_EQ(device().meshSubsetCount(1), 0u);
    device().clear(BLACK);
    device().drawMeshSubsets(1);
    EXPECT_EQ(pixelAt(frame(), LEFT_QUAD_X, 240), BLACK);
    device().releaseMeshes();  // twice is harmless
}

// Damaged files that stop assimp itself (a crash on a negative count, a null material) or that
// it refuses are reported with the file's name; the files after them in the same batch load.
TEST(MeshFile, EachDamagedFileLeavesOnlyItsOwnMeshUnread) {
    const std::string dir = makeTempDirectory("mesh-file");
    writeTextFile(dir + "/quads.x", TWO_QUADS_X);
    writeTextFile(dir + "/negative-count.x", "xof 0303txt 0032\nMesh{-1;");
    writeTextFile(dir + "/no-materials.x",
                  "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;\n"
                  "1; 3;0,1,2;;\nMeshMaterialList { 1; 1; 0;; }\n}\n");
    writeTextFile(dir + "/truncated.x", "xof 0303txt 0032\nMesh { 3; 1.0;2.0;");
    const std::vector<std::string> names = {"quads.x",     "negative-count.x", "quads.x", "no-materials.x",
                                            "truncated.x", "missing.x",        "quads.x"};
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir + "/" + name);
    const auto results = render::readMeshFiles(paths);
    ASSERT_EQ(results.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == "quads.x") {
            ASSERT_TRUE(results[i].data) << i << ": " << results[i].error;
            EXPECT_EQ(results[i].data->vertices.size(), 12u);
        } else {
            EXPECT_FALSE(results[i].data) << names[i];
            EXPECT_NE(results[i].error.find(names[i]), std::string::npos) << results[i].error;
        }
    }
}

// Points and lines among the faces draw nothing; a polygon becomes a fan of whole triangles;
// a face naming a point the mesh lacks is left out.
TEST(MeshFile, MixedFacesGiveWholeTriangles) {
    const std::string dir = makeTempDirectory("mesh-faces");
    writeTextFile(dir + "/mixed.x",
                  "xof 0303txt 0032\nMesh { 5; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, "
                  "0.0;1.0;0.0;, 0.5;2.0;0.0;;\n"
                  "4; 1;0;, 2;0,1;, 5;0,1,2,4,3;, 3;0,1,9;;\n}\n");
    const auto results = render::readMeshFiles({dir + "/mixed.x"});
    ASSERT_TRUE(results[0].data) << results[0].error;
    const render::MeshData& mesh = *results[0].data;
    uint32_t total = 0;
    for (const auto& subset : mesh.subsets) total += subset.count;
    EXPECT_EQ(total, mesh.vertices.size());
    EXPECT_EQ(mesh.vertices.size(), 9u);  // the pentagon's three triangles
}

TEST_F(DeviceMeshTest, LightingBrightensTheSunFacingSide) {
    device().loadMeshes({{0, dir_ + "/quads.x"}});
    device().clear(BLACK);
    lookForward(device());
    device().setLighting(true);
    device().drawMeshSubsets(0);
    auto f = frame();
    // Facing the light: ambient 0.5 plus 0.95 of the light, saturated. Facing away: ambient only.
    EXPECT_TRUE(near(pixelAt(f, LEFT_QUAD_X, 240), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(f, RIGHT_QUAD_X, 240), 128, 128, 128));

    // Half a turn about x through the quads' plane leaves them in place but turns their normals.
    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(0, 0, -5) * render::matrixRotationX(PI) *
                      render::matrixTranslation(0, 0, 5));
    device().drawMeshSubsets(0);
    f = frame();
    EXPECT_TRUE(near(pixelAt(f, LEFT_QUAD_X, 240), 128, 128, 128));
    EXPECT_TRUE(near(pixelAt(f, RIGHT_QUAD_X, 240), 255, 255, 255));

    // Scaling leaves the lighting as it was: normals are used at unit length (doubled meshes
    // would otherwise get half-length normals and a dimmer sunny side).
    device().clear(BLACK);
    device().setWorld(render::matrixTranslation(0, 0, -5) * render::matrixScaling(2.0f) *
                      render::matrixTranslation(0, 0, 5));
    device().drawMeshSubsets(0);
    EXPECT_TRUE(near(pixelAt(frame(), 320 - 208, 240), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(frame(), 320 + 208, 240), 128, 128, 128));

    device().setLighting(false);
    device().setWorld(render::matrixIdentity());
    device().drawMeshSubsets(0);
    EXPECT_EQ(pixelAt(frame(), RIGHT_QUAD_X, 240), WHITE);
}

// The browser build draws a baked atlas at the picture's scale: quads, advance and line step
// grow with it, and at scale 1 every glyph is its atlas box, pixel for pixel.
TEST_F(DeviceTest, AFontDrawnAtAScaleLaysItsGlyphsOutThatMuchLarger) {
    render::GlyphAtlas glyphs;
    glyphs.width = 64;
    glyphs.height = 32;
    glyphs.lineHeight = 12;
    glyphs.advance = 7;
    glyphs.rgba.assign(64 * 32 * 4, 255);
    for (render::GlyphBox& box : glyphs.glyphs) box = {1, 2, 6, 10};
    const auto plain = render::FontAtlas::fromGlyphs(glyphs);
    const auto large = render::FontAtlas::fromGlyphs(glyphs, 1.5f);
    std::vector<ScreenVertex> a, b;
    plain->layout("AB\nC", 10, 20, 200, TextAlign::Left, WHITE, a);
    large->layout("AB\nC", 10, 20, 200, TextAlign::Left, WHITE, b);
    ASSERT_EQ(a.size(), 18u);
    ASSERT_EQ(b.size(), 18u);
    // Each glyph: corners a, b, c, a, c, d with c the bottom right.
    EXPECT_EQ(a[0].x, 10.0f);
    EXPECT_EQ(a[2].x - a[0].x, 6.0f);
    EXPECT_EQ(a[2].y - a[0].y, 10.0f);
    EXPECT_EQ(a[6].x - a[0].x, 7.0f);
    EXPECT_EQ(a[12].y - a[0].y, 12.0f);
    EXPECT_EQ(b[0].x, 10.0f);
    EXPECT_EQ(b[2].x - b[0].x, 9.0f);
    EXPECT_EQ(b[2].y - b[0].y, 15.0f);
    EXPECT_EQ(b[6].x - b[0].x, 10.5f);
    EXPECT_EQ(b[12].y - b[0].y, 18.0f);
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].u, b[i].u) << "the same atlas pixels";
    EXPECT_EQ(plain->lineWidth("AB"), 14);
    EXPECT_EQ(large->lineWidth("AB"), 21);
    std::vector<ScreenVertex> right;
    large->layout("AB", 0, 0, 100, TextAlign::Right, WHITE, right);
    EXPECT_EQ(right[0].x, 79.0f) << "aligned by the scaled width";
}

TEST_F(DeviceTest, TextIsDrawnInItsColourAndAlignment) {
    device().createFont(0, 20);
    const auto lit = [](uint32_t c) { return redOf(c) > 128; };
    device().clear(BLACK);
    device().drawText(0, "MMMM", 100, 100, 640, 480, TextAlign::Left, 0xFFFF0000);
    auto f = frame();
    EXPECT_GT(countPixels(f, 100, 100, 160, 120, lit), 40);
    EXPECT_EQ(countPixels(f, 0, 0, 100, 480, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 100, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, [](uint32_t c) { return greenOf(c) > 0; }), 0);

    device().clear(BLACK);
    device().drawText(0, "MMMM", 0, 100, 300, 480, TextAlign::Right, 0xFFFF0000);
    f = frame();
    EXPECT_GT(countPixels(f, 250, 100, 300, 120, lit), 40);
    EXPECT_EQ(countPixels(f, 300, 0, 640, 480, lit), 0);
    EXPECT_EQ(countPixels(f, 0, 0, 240, 480, lit), 0);

    device().clear(BLACK);
    device().drawText(0, "MMMM", 0, 100, 640, 480, TextAlign::Center, 0xFFFF0000);
    f = frame();
    long long sumX = 0;
    int n = 0;
    for (int y = 100; y < 120; ++y)
        for (int x = 0; x < 640; ++x)
            if (lit(pixelAt(f, x, y))) sumX += x, ++n;
    ASSERT_GT(n, 40);
    EXPECT_NEAR(double(sumX) / n, 319.5, 3.0);
}

TEST_F(DeviceTest, TextIsClippedToItsRectangle) {
    device().createFont(1, 40);
    device().clear(BLACK);
    device().drawText(1, "WWWWWWWW", 100, 100, 130, 115, TextAlign::Left, WHITE);
    const auto f = frame();
    const auto lit = [](uint32_t c) { return c != BLACK; };
    EXPECT_GT(countPixels(f, 100, 100, 130, 115, lit), 20);
    EXPECT_EQ(countPixels(f, 0, 0, 640, 480, lit), countPixels(f, 100, 100, 130, 115, lit));
}

TEST_F(DeviceTest, TextAlphaBlendsAndLinesFitTheirHeight) {
    device().createFont(0, 20);
    device().createFont(1, 40);
    device().clear(WHITE);
    device().drawText(0, "|gM", 10, 10, 640, 480, TextAlign::Left, 0x80FF0000);
    device().drawText(1, "|gM", 10, 100, 640, 480, TextAlign::Left, 0xFF000000);
    const auto f = frame();
    int minGreen = 255;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x) minGreen = std::min(minGreen, greenOf(pixelAt(f, x, y)));
    EXPECT_NEAR(minGreen, 127, 3);  // fully covered pixels are half red, half the white behind
    const auto rowsWithInk = [&](int y0, int y1, auto ink) {
        int first = -1, last = -1;
        for (int y = y0; y < y1; ++y) {
            if (countPixels(f, 0, y, 640, y + 1, ink) > 0) {
                if (first < 0) first = y;
                last = y;
            }
        }
        return last - first + 1;
    };
    const int small = rowsWithInk(0, 60, [](uint32_t c) { return greenOf(c) < 200; });
    const int large = rowsWithInk(90, 200, [](uint32_t c) { return greenOf(c) < 100; });
    EXPECT_LE(small, 20);
    EXPECT_GE(small, 15);
    EXPECT_LE(large, 40);
    EXPECT_GE(large, 32);
}

TEST_F(DeviceTest, MissingFontsDrawNothing) {
    device().createFont(7, 20);  // outside the table: ignored
    device().clear(BLACK);
    for (int font : {0, 1, -1, 2}) device().drawText(font, "HELLO", 0, 0, 640, 480, TextAlign::Left, WHITE);
    EXPECT_EQ(countPixels(frame(), 0, 0, 640, 480, [](uint32_t c) { return c != BLACK; }), 0);
}

TEST_F(DeviceTest, TextLeavesTheBoundTextureInPlace) {
    device().createFont(0, 20);
    device().clear(BLACK);
    device().bindTexture(-1);
    device().drawText(0, "A", 0, 0, 640, 480, TextAlign::Left, WHITE);
    drawScreenQuad(device(), 100, 100, 110, 110, 0xFF00FF00);
    EXPECT_EQ(pixelAt(frame(), 105, 105), 0xFF00FF00);
}

TEST_F(DeviceTest, OddCharactersDrawAsReplacementGlyphs) {
    device().createFont(0, 20);
    device().clear(BLACK);
    device().drawText(0, "\xE3\x81\x82\t", 0, 0, 640, 480, TextAlign::Left, WHITE);
    const auto f = frame();
    const auto lit = [](uint32_t c) { return c != BLACK; };
    device().clear(BLACK);
    device().drawText(0, "??", 0, 0, 640, 480, TextAlign::Left, WHITE);
    EXPECT_EQ(f, frame());
    EXPECT_GT(countPixels(f, 0, 0, 640, 480, lit), 0);
}

}  // namespace vantrel::test
