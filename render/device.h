// The graphics device: an OpenGL 3.3 core (or, in the browser build, OpenGL ES 3.0) context drawing into a picture with
// a depth buffer, the fixed-function behaviour the drawing code expects (texture x diffuse, optional lighting by one
// directional light, alpha blending, depth test less-or-equal, no culling), and the resource tables: 18 textures, 10
// meshes and 2 fonts, by index. The picture is as large as the window's drawable and drawn straight into it where the
// platform allows (picture_buffer.h), so nothing is scaled or copied on the way to the screen; the classic presentation
// keeps a 640 x 480 picture, shown letterboxed in a larger window. Screen-space drawing (fans and text) is given in the
// 640 x 480 design space and mapped into the picture by one uniform scale, centred.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/matrices.h"
#include "render/quality.h"

struct SDL_Window;

namespace vantrel::render {

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
constexpr int TEXTURE_COUNT = 18;
constexpr int MESH_COUNT = 10;
constexpr int FONT_COUNT = 2;
// Line height of each font in pixels at the 640 x 480 design scale, by font index.
constexpr int FONT_PIXEL_HEIGHTS[FONT_COUNT] = {20, 40};

// Mesh slots 0 to 9, in load order.
constexpr const char* MESH_FILES[MESH_COUNT] = {
    "sky.x", "plane1.x", "shot1.x", "plane2.x", "plane3.x", "plane4.x", "plane5.x", "plane6.x", "rocket.x", "missile.x",
};

struct MeshFile {
    int slot;
    std::string path;
};

// Colours are 0xAARRGGBB.
struct WorldVertex {
    float x, y, z;
    uint32_t diffuse;
    float u, v;
};

// Pixels, x right and y down from the top left; z 0 and rhw 1 always.
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};

enum class TextAlign { Left, Right, Center };

enum class Presentation {
    Native,   // the picture is the drawable, the design space scaled into it
    Classic,  // a 640 x 480 picture, letterboxed into the drawable
};

// The picture's size in pixels and where the 640 x 480 design space lies in it: a design point
// (x, y) is the picture pixel (left + scale x, top + scale y).
struct PictureLayout {
    int width, height;
    float scale;
    float left, top;
    float aspect() const { return static_cast<float>(width) / static_cast<float>(height); }
};
// Native: the drawable's size, scale min(width / 640, height / 480), the design box centred on
// whole pixels. Classic, or a drawable without area: 640 x 480 at scale 1.
PictureLayout pictureLayout(int drawableWidth, int drawableHeight, Presentation presentation);
// Font pixel height for a design height at a scale, never below one pixel.
int scaledFontHeight(int designHeight, float scale);

// Where present puts the 640 x 480 picture in a drawable of the given size in pixels: the
// largest rectangle of the same aspect, centred, with black bars on the other sides.
struct PresentRect {
    int x, y, width, height;
};
PresentRect letterboxRect(int drawableWidth, int drawableHeight);

// What a quality changes in a picture of the presentation: the classic picture keeps high's.
RenderQuality qualityShown(Presentation presentation, const RenderQuality& chosen);

class GraphicsContext;  // render/platform.h

class Device {
public:
    // The desktop (desktop/platform.cpp). Call before creating the window: asks SDL for an
    // OpenGL 3.3 core context, on a surface with depth only where the 3D view may be drawn at
    // the surface's size: a view drawn smaller has depth of its own, and a software rasteriser
    // copies it onto a surface without depth on its fast path.
    static void requestContextAttributes(Presentation presentation = Presentation::Native,
                                         const RenderQuality& quality = RenderQuality{});
    // Creates the context on window (made with SDL_WINDOW_OPENGL), then as initOnContext.
    static std::unique_ptr<Device> initGraphics(SDL_Window* window, const std::string& dataDir,
                                                Presentation presentation = Presentation::Native);
    // On a context the platform made (null: it could not, for contextError): the framebuffer,
    // the shader pair, the light, material and ambient level; the 18 textures come from dataDir.
    // On failure shows the error message, releases what it made and returns null.
    static std::unique_ptr<Device> initOnContext(std::unique_ptr<GraphicsContext> context,
                                                 const std::string& contextError, const std::string& dataDir,
                                                 Presentation presentation = Presentation::Native);
    ~Device();  // releaseGraphics
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // What the quality changes in the picture (qualityShown); high's until set.
    void setQuality(const RenderQuality& quality);
    const RenderQuality& quality() const;
    // The graphics driver's renderer (GL_RENDERER), and whether it is a software rasteriser.
    const std::string& rendererName() const;
    bool softwareRenderer() const;

    // pixelHeight is the line height in the design space; the font is rasterised at that
    // height times the layout's scale, again whenever the scale changes.
    void createFont(int index, int pixelHeight);
    // Fills each named slot from its file, in order; a file that fails leaves its slot empty
    // with one line on standard error, and slots outside the table are ignored.
    void loadMeshes(const std::vector<MeshFile>& files);
    void loadMeshTable(const std::string& dataDir);  // MESH_FILES into slots 0 to 9
    void releaseMeshes();
    // The names of the mesh and texture files that could not be read so far (a texture is read
    // the first time it is bound), each once.
    std::vector<std::string> failedDataFiles() const;

    // Frame. beginFrame reads the window's drawable size and fits the picture, the design-space
    // mapping and the fonts to it; call it before drawing a frame. A kept static layer that the
    // last frame did not use is freed then.
    void beginFrame();
    const PictureLayout& layout() const;
    // The layout beginFrame would fit the picture to now.
    PictureLayout upcomingLayout() const;
    void clear(uint32_t colour);  // colour and depth (1.0)
    // Colour only, the picture outside the design box: bars beside or above a screen that is
    // drawn in the design space alone.
    void clearMargins(uint32_t colour);
    void setWorld(const Matrix& m);
    void setView(const Matrix& m);
    void setProjection(const Matrix& m);
    void setLighting(bool on);
    // While on, a pixel is drawn only where it is strictly nearer than the depth already there
    // (normally also where it is equally near): for what goes behind a scene drawn before it.
    void setNearerOnly(bool on);
    // While on, textures show their nearest texel instead of the 3D view's filtering; for use
    // inside drawWorldView, whose filtering comes back when it is turned off.
    void setNearestTexels(bool on);
    // Binds a texture of the table, read from its file the first time; an empty slot or an
    // index outside the table binds no texture (white).
    void bindTexture(int index);
    // Frees a texture a scene no longer draws; binding it again reads it again.
    void releaseTexture(int index);
    void drawWorldFan(const WorldVertex* v, int count);
    void drawWorldTriangles(const WorldVertex* v, int count);  // a triangle list
    void drawScreenFan(const ScreenVertex* v, int count);      // design-space positions
    // Draws subsets 0 .. meshSubsetCount(index) - 1 with the current matrices, texture and
    // lighting; an empty slot draws nothing, nor does a mesh wholly outside the view.
    void drawMeshSubsets(int index);
    // The same as setWorld then drawMeshSubsets for each matrix in turn, unlit, in a few draw
    // calls; the current world matrix is left as it was.
    void drawMeshInstances(int index, const std::vector<Matrix>& worlds);
    unsigned meshSubsetCount(int index) const;
    // How wide one line of text is laid out, in the design space, rounded up; 0 without the font.
    int textWidth(int font, const std::string& line) const;
    // Text clipped to the rectangle (design space); top-aligned; a missing font draws nothing.
    void drawText(int font, const std::string& text, int left, int top, int right, int bottom, TextAlign align,
                  uint32_t colour);

    // The 3D view: what draw() draws goes through the quality's view scale and texture
    // filtering; what is drawn after it is at the picture's full resolution.
    void drawWorldView(const std::function<void()>& draw);

    // The first layer of a frame that looks the same frame after frame (a backdrop): drawn by
    // draw() the first time and kept as a copy of the picture, then copied back for as long as
    // the key and the colour of the clear under it stay the same, which costs a small part of
    // drawing it. Drawn over anything but a fresh clear, draw() just runs.
    void drawStaticLayer(uint64_t key, const std::function<void()>& draw);
    // Instead of a whole frame: when the picture is still the last frame's, drawn over the
    // static layer kept under key with nothing but what lies within the design-space rectangle
    // drawn after the layer, puts the layer back within the rectangle and returns true; the
    // caller then draws what goes there. False, changing nothing, when the frame must be drawn
    // whole.
    bool restoreStaticLayer(uint64_t key, int left, int top, int right, int bottom);

    // Shows the picture in the window: a picture drawn in the window is shown as it is, another
    // is copied there, letterboxed when the sizes differ.
    void present();
    // The current picture, layout().width x layout().height, top row first, as 0xAARRGGBB.
    std::vector<uint32_t> readPixels() const;

private:
    Device();
    void drawMeshOneByOne(int index, const std::vector<Matrix>& worlds);
    void drawWorld(const WorldVertex* v, int count, unsigned mode);
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vantrel::render
