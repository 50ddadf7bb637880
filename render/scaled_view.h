// The 3D view drawn smaller than the picture and scaled up over it with linear filtering, so a
// software renderer shades fewer pixels while what is drawn after it (the head-up display, text)
// stays at the picture's full resolution.
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <functional>

namespace vantrel::render {

class PictureBuffer;
struct PictureLayout;

class ScaledView {
public:
    // Colour and depth of the picture's size times scale, made when needed; false at scale 1,
    // where nothing is scaled, or when the driver cannot make them.
    bool fit(float scale, const PictureLayout& picture);
    // Draws draw() into what fit made, cleared to clearColour, then scales it up over the whole
    // picture, which is bound again after.
    void draw(uint32_t clearColour, PictureBuffer& picture, const std::function<void()>& draw);
    void release();

private:
    bool makeStorage(int width, int height);

    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vantrel::render
