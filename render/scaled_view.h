// The 3D view drawn smaller than the picture, for the device to scale up over it with linear
// filtering, so a software renderer shades fewer pixels while what is drawn after it (the
// head-up display, text) stays at the picture's full resolution.
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <functional>

namespace vantrel::render {

struct PictureLayout;

// Whether a view at scale is drawn apart from the picture, smaller than it.
bool viewDrawnApart(float scale, const PictureLayout& picture);

class ScaledView {
public:
    // Colour and depth of the picture's size times scale, made when needed; false where the
    // view is not drawn apart, or when the driver cannot make them.
    bool fit(float scale, const PictureLayout& picture);
    // Draws draw() into what fit made, cleared to clearColour; the picture's framebuffer is for
    // the caller to bind again.
    void draw(uint32_t clearColour, const std::function<void()>& draw);
    // What draw drew, a texture filtered linearly and clamped at its edges.
    GLuint colourTexture() const { return colour_; }
    void release();

private:
    bool makeStorage(int width, int height);

    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;  // a texture: sampling it is cheaper than blitting a renderbuffer
    GLuint depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vantrel::render
