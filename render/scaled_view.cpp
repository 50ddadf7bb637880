#include "render/scaled_view.h"

#include <algorithm>
#include <cmath>

#include "render/gl_dialect.h"
#include "render/picture_buffer.h"
#include "render/textures.h"

namespace vantrel::render {

namespace {

int scaledSide(int side, float scale) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(side) * scale)));
}

}  // namespace

bool viewDrawnApart(float scale, const PictureLayout& picture) {
    return scale < 1.0f &&
           (scaledSide(picture.width, scale) != picture.width || scaledSide(picture.height, scale) != picture.height);
}

bool ScaledView::fit(float scale, const PictureLayout& picture) {
    return viewDrawnApart(scale, picture) &&
           makeStorage(scaledSide(picture.width, scale), scaledSide(picture.height, scale));
}

void ScaledView::draw(uint32_t clearColour, const std::function<void()>& draw) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    clearColourAndDepth(clearColour);
    draw();
}

// Made the first time and again when the size changes.
bool ScaledView::makeStorage(int width, int height) {
    if (framebuffer_ && width == width_ && height == height_) return true;
    if (!framebuffer_) {
        glGenFramebuffers(1, &framebuffer_);
        glGenTextures(1, &colour_);
        glGenRenderbuffers(1, &depth_);
    }
    makeCopiedTexture(colour_, [width, height] { makeCopySourceStorage(width, height); });
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    width_ = width;
    height_ = height;
    if (!complete) release();
    return complete;
}

void ScaledView::release() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteTextures(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}

}  // namespace vantrel::render
