// The kept still-screen layer: the first layer of a frame that looks the same frame after frame
// (a backdrop) is drawn once over a fresh clear and kept as a copy of the picture, then copied
// back instead of drawn for as long as its key and the colour of the clear under it stay the
// same, which costs a small part of drawing it. The copy goes after a frame that did not use it.
#pragma once

#include "render/gl_api.h"

#include <cstdint>
#include <functional>

#include "render/picture_buffer.h"

namespace vantrel::render {

class KeptLayer {
public:
    // At the start of each frame: lets the copy go when the last frame did not use the layer.
    // True when a copy went, so its memory is free.
    bool startFrame();
    // The layer over a fresh clear of clearColour: drawn back by copy when the copy holds it, or
    // else drawn by draw() and kept.
    void drawOverClear(uint64_t key, uint32_t clearColour, PictureBuffer& picture, const std::function<void()>& draw,
                       const PictureBuffer::TextureCopy& copy);
    // The layer over what the frame has drawn already: only drawn, and nothing is kept of it.
    void drawOverPicture(const std::function<void()>& draw);
    // Whether the copy holds the layer of key drawn over a clear of clearColour.
    bool holds(uint64_t key, uint32_t clearColour) const;
    // Puts the copy back over the picture's pixels in area only.
    void copyBackWithin(const PictureBuffer& picture, const PresentRect& area);
    // The copy's storage follows the picture's size; what it held is drawn again.
    void resize(const PictureLayout& layout);
    void release();

private:
    bool keep(const PictureBuffer& picture);
    void freeCopy();

    uint64_t key_ = 0;
    uint32_t clearColour_ = 0;  // of the clear the layer was drawn over
    bool valid_ = false;        // the copy holds the layer of key_ over clearColour_
    bool used_ = false;         // in the frame being drawn
    GLuint framebuffer_ = 0;    // the copy, made on first use
    GLuint colour_ = 0;         // a texture, for copy to draw
};

}  // namespace vantrel::render
