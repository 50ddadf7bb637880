// The picture the device draws into: colour and depth at the layout's size in a framebuffer of
// its own, so nothing is drawn on the window until present shows a finished frame there.
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <string>
#include <vector>

#include "render/device.h"

namespace vantrel::render {

class GraphicsContext;  // render/platform.h

class PictureBuffer {
public:
    // The framebuffer at the layout's size, left bound; false with the reason when the driver
    // cannot make it.
    bool create(const PictureLayout& layout, std::string* reason);
    // Storage at the new layout's size; the contents are undefined until cleared.
    void resize(const PictureLayout& layout);
    void release();
    const PictureLayout& layout() const { return layout_; }
    // Makes the picture the framebuffer drawn into and read from.
    void bind() const;

    void clear(uint32_t colour);  // colour and depth (the far plane)
    // Colour only, the picture outside the design box.
    void clearMargins(uint32_t colour);
    // The whole picture's colour into or out of another framebuffer of its size; the picture's
    // framebuffer is bound again after.
    void copyTo(GLuint framebuffer) const;
    void copyFrom(GLuint framebuffer) const;
    // Shows the picture on the context's surface: pixel for pixel, or letterboxed when the sizes
    // differ.
    void present(GraphicsContext& context) const;
    // Top row first, as 0xAARRGGBB.
    std::vector<uint32_t> readPixels() const;

private:
    void copyColour(GLuint from, GLuint to) const;

    PictureLayout layout_ = pictureLayout(0, 0, Presentation::Classic);
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
};

}  // namespace vantrel::render
