// The picture the device draws into. Where the platform allows and the picture is the surface's
// size, it is the surface's own back buffer, so showing it is only a swap: a software renderer
// would otherwise spend a full-screen pass copying it over. Else (the classic picture in a
// larger window, a full-size 3D view on a surface without depth) it is colour and depth in a
// framebuffer of its own, copied onto the surface, letterboxed when the sizes differ.
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/device.h"

namespace vantrel::render {

class GraphicsContext;  // render/platform.h

// Clears the bound framebuffer's colour to 0xAARRGGBB and its depth to the far plane.
void clearColourAndDepth(uint32_t colour);

// Whether a picture of the layout is drawn straight onto the context's surface; one the 3D view
// is drawn into (viewInPicture) needs the surface's depth.
bool pictureFitsSurface(const PictureLayout& layout, const GraphicsContext& context, bool viewInPicture);

class PictureBuffer {
public:
    // The picture at the layout's size, on the surface or in a framebuffer of its own, left
    // bound; false with the reason when the driver cannot make its framebuffer.
    bool create(const PictureLayout& layout, bool onSurface, std::string* reason);
    // The picture at the new layout's size or newly on or off the surface; the contents are
    // undefined until cleared.
    void fit(const PictureLayout& layout, bool onSurface);
    void release();
    const PictureLayout& layout() const { return layout_; }
    // Drawn straight onto the surface's back buffer.
    bool onSurface() const { return onSurface_; }
    // Makes the picture the framebuffer drawn into and read from.
    void bind() const;

    // Colour only, the picture outside the design box.
    void clearMargins(uint32_t colour);
    // The whole picture's colour into another framebuffer of its size, and only the pixels in
    // area back out of one, rows counted from the bottom as GL does; the picture's framebuffer is
    // bound again after.
    void copyTo(GLuint framebuffer) const;
    void copyFrom(GLuint framebuffer, const PresentRect& area) const;
    // The picture's pixels that cover the design-space rectangle, rows counted from the bottom.
    PresentRect pixelsCovering(int left, int top, int right, int bottom) const;
    // Draws texture over the bound framebuffer's viewport, filtered as filter (GL_NEAREST or
    // GL_LINEAR) says.
    using TextureCopy = std::function<void(GLuint texture, GLint filter)>;
    // Shows the picture on the context's surface; a picture of its own is drawn there by copy,
    // which on a software renderer costs much less than blitting it.
    void present(GraphicsContext& context, const TextureCopy& copy) const;
    // Top row first, as 0xAARRGGBB.
    std::vector<uint32_t> readPixels() const;

private:
    bool makeOwnFramebuffer(std::string* reason);
    void releaseOwnFramebuffer();
    void copyColour(GLuint from, GLuint to, const PresentRect& area) const;
    PresentRect whole() const { return {0, 0, layout_.width, layout_.height}; }

    PictureLayout layout_ = pictureLayout(0, 0, Presentation::Classic);
    bool onSurface_ = false;
    GLuint framebuffer_ = 0;  // 0 on the surface
    GLuint colour_ = 0;       // a texture, for present to draw
    GLuint depth_ = 0;
};

}  // namespace vantrel::render
