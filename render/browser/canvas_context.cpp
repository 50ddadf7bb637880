#include "render/browser/canvas_context.h"

#include <emscripten/html5.h>

#include "render/gl_api.h"

namespace vantrel::render {

namespace {

class CanvasContext final : public GraphicsContext {
public:
    CanvasContext(std::string selector, EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context)
        : selector_(std::move(selector)), context_(context) {}
    // A browser gives the depth it has, which may be less than was asked for.
    void readDepthBits() { glGetIntegerv(GL_DEPTH_BITS, &depthBits_); }
    ~CanvasContext() override { emscripten_webgl_destroy_context(context_); }
    CanvasContext(const CanvasContext&) = delete;
    CanvasContext& operator=(const CanvasContext&) = delete;

    std::string makeCurrent() override {
        return emscripten_webgl_make_context_current(context_) == EMSCRIPTEN_RESULT_SUCCESS
                   ? ""
                   : "the WebGL 2 context cannot be made current";
    }
    void drawableSize(int& width, int& height) const override {
        if (emscripten_get_canvas_element_size(selector_.c_str(), &width, &height) != EMSCRIPTEN_RESULT_SUCCESS)
            width = height = 0;
    }
    // The browser shows the canvas once the animation frame's work returns.
    void swap() override {}
    // Drawing the picture on the canvas spares a software renderer a full-screen copy a frame:
    // an eighth of the page's frame at low, a quarter at 1920 x 1080.
    bool picturesOnSurface() const override { return true; }
    bool surfaceHasDepth() const override { return depthBits_ >= PICTURE_DEPTH_BITS; }
    // The page empties the canvas once it has shown it.
    bool surfaceMayKeepFrames() const override { return false; }
    // A canvas keeps the one context it gave.
    bool renew() override { return false; }

private:
    std::string selector_;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_;
    GLint depthBits_ = 0;  // of the canvas's drawing buffer
};

}  // namespace

std::unique_ptr<GraphicsContext> createCanvasContext(const std::string& canvasSelector, std::string* error) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The picture is drawn on the canvas: with depth for the 3D view, without multisampling (as
    // the desktop's window, and a software renderer would resolve it every frame) and without
    // alpha (the page would show through where the picture's alpha is below one).
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(canvasSelector.c_str(), &attributes);
    if (context <= 0) {
        *error = "this browser offers no WebGL 2 on the page's canvas";
        return nullptr;
    }
    auto canvas = std::make_unique<CanvasContext>(canvasSelector, context);
    if (std::string problem = canvas->makeCurrent(); !problem.empty()) {
        *error = problem;
        return nullptr;
    }
    canvas->readDepthBits();
    return canvas;
}

}  // namespace vantrel::render
