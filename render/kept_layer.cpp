#include "render/kept_layer.h"

#include <utility>

#include "render/picture_buffer.h"

namespace vantrel::render {

bool KeptLayer::startFrame() {
    const bool unused = !std::exchange(used_, false);
    if (!unused || !colour_) return false;
    release();
    return true;
}

void KeptLayer::drawOverClear(uint64_t key, uint32_t clearColour, PictureBuffer& picture,
                              const std::function<void()>& draw) {
    used_ = true;
    if (holds(key, clearColour)) {
        picture.copyFrom(framebuffer_);
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

// Copies the picture into the layer's own colour buffer, made the first time.
bool KeptLayer::keep(const PictureBuffer& picture) {
    if (!framebuffer_) {
        const PictureLayout& size = picture.layout();
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, size.width, size.height);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
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
    if (colour_) {
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, layout.width, layout.height);
    }
    valid_ = false;
}

void KeptLayer::release() {
    freeCopy();
    *this = KeptLayer{};
}

void KeptLayer::freeCopy() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    framebuffer_ = colour_ = 0;
}

}  // namespace vantrel::render
