#include "render/scaled_view.h"

#include <algorithm>
#include <cmath>

#include "render/picture_buffer.h"

namespace vantrel::render {

namespace {

int scaledSide(int side, float scale) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(side) * scale)));
}

}  // namespace

bool ScaledView::fit(float scale, const PictureLayout& picture) {
    const int width = scaledSide(picture.width, scale);
    const int height = scaledSide(picture.height, scale);
    if (scale >= 1.0f || (width == picture.width && height == picture.height)) return false;
    return makeStorage(width, height);
}

void ScaledView::draw(uint32_t clearColour, PictureBuffer& picture, const std::function<void()>& draw) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    clearColourAndDepth(clearColour);
    draw();
    picture.scaleFrom(framebuffer_, width_, height_);
    glViewport(0, 0, picture.layout().width, picture.layout().height);
}

// Made the first time and again when the size changes.
bool ScaledView::makeStorage(int width, int height) {
    if (framebuffer_ && width == width_ && height == height_) return true;
    if (!framebuffer_) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colour_);
        glGenRenderbuffers(1, &depth_);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    width_ = width;
    height_ = height;
    if (!complete) release();
    return complete;
}

void ScaledView::release() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}

}  // namespace vantrel::render
