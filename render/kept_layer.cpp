#include "render/kept_layer.h"

#include <utility>

#include "render/picture_buffer.h"
#include "render/textures.h"

namespace vantrel::render {

bool KeptLayer::startFrame() {
    const bool unused = !std::exchange(used_, false);
    if (!unused || !colour_) return false;
    release();
    return true;
}

void KeptLayer::drawOverClear(uint64_t key, uint32_t clearColour, PictureBuffer& picture,
                              const std::function<void()>& draw, const PictureBuffer::TextureCopy& copy) {
    used_ = true;
    if (holds(key, clearColour)) {
        picture.bind();
        copy(colour_, GL_NEAREST);
        return;
    }
    draw();
    valid_ = keep(picture);
    key_ = key;
    clearColour_ = clearColour;
}

void KeptLayer::drawOverPicture(const std::function<void()>& draw) {
    used_ = true;
    draw();
}

bool KeptLayer::holds(uint64_t key, uint32_t clearColour) const {
    return valid_ && key_ == key && clearColour_ == clearColour;
}

void KeptLayer::copyBackWithin(const PictureBuffer& picture, const PresentRect& area) {
    used_ = true;
    picture.copyFrom(framebuffer_, area);
}

// Copies the picture into the layer's own colour texture, made the first time.
bool KeptLayer::keep(const PictureBuffer& picture) {
    if (!framebuffer_) {
        glGenFramebuffers(1, &framebuffer_);
        glGenTextures(1, &colour_);
        makeCopiedRgbTexture(colour_, picture.layout().width, picture.layout().height);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        picture.bind();
        if (!complete) {
            freeCopy();
            return false;
        }
    }
    picture.copyTo(framebuffer_);
    return true;
}

void KeptLayer::resize(const PictureLayout& layout) {
    if (colour_) makeCopiedRgbTexture(colour_, layout.width, layout.height);
    valid_ = false;
}

void KeptLayer::release() {
    freeCopy();
    *this = KeptLayer{};
}

void KeptLayer::freeCopy() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteTextures(1, &colour_);
    framebuffer_ = colour_ = 0;
}

}  // namespace vantrel::render
