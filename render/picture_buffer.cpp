#include "render/picture_buffer.h"

#include <algorithm>
#include <cmath>

#include "render/gl_dialect.h"
#include "render/image.h"
#include "render/platform.h"
#include "render/textures.h"

namespace vantrel::render {

namespace {

// The largest rectangle of the picture's aspect inside the drawable, centred.
PresentRect fitRect(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight) {
    const long long w = drawableWidth;
    const long long h = drawableHeight;
    const long long scaledW = h * pictureWidth / pictureHeight;
    if (scaledW <= w) return {static_cast<int>((w - scaledW) / 2), 0, static_cast<int>(scaledW), drawableHeight};
    const long long scaledH = w * pictureHeight / pictureWidth;
    return {0, static_cast<int>((h - scaledH) / 2), drawableWidth, static_cast<int>(scaledH)};
}

void setClearColour(uint32_t colour) {
    glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>(colour >> 24) / 255.0f);
}

}  // namespace

PresentRect letterboxRect(int drawableWidth, int drawableHeight) {
    return fitRect(drawableWidth, drawableHeight, SCREEN_WIDTH, SCREEN_HEIGHT);
}

PictureLayout pictureLayout(int drawableWidth, int drawableHeight, Presentation presentation) {
    if (presentation == Presentation::Classic || drawableWidth <= 0 || drawableHeight <= 0)
        return {SCREEN_WIDTH, SCREEN_HEIGHT, 1.0f, 0.0f, 0.0f};
    const float scale =
        std::min(static_cast<float>(drawableWidth) / SCREEN_WIDTH, static_cast<float>(drawableHeight) / SCREEN_HEIGHT);
    // Whole-pixel margins keep text, drawn on whole pixels, as sharp as the rest of the box.
    const float left = std::floor((static_cast<float>(drawableWidth) - scale * SCREEN_WIDTH) / 2.0f);
    const float top = std::floor((static_cast<float>(drawableHeight) - scale * SCREEN_HEIGHT) / 2.0f);
    return {drawableWidth, drawableHeight, scale, std::max(left, 0.0f), std::max(top, 0.0f)};
}

int scaledFontHeight(int designHeight, float scale) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(designHeight) * scale)));
}

bool pictureFitsSurface(const PictureLayout& layout, const GraphicsContext& context, bool viewInPicture) {
    int width = 0;
    int height = 0;
    context.drawableSize(width, height);
    return context.picturesOnSurface() && layout.width == width && layout.height == height &&
           (!viewInPicture || context.surfaceHasDepth());
}

bool PictureBuffer::create(const PictureLayout& layout, bool onSurface, std::string* reason) {
    layout_ = layout;
    onSurface_ = onSurface;
    if (onSurface_) {
        bind();
        return true;
    }
    return makeOwnFramebuffer(reason);
}

void PictureBuffer::fit(const PictureLayout& layout, bool onSurface) {
    layout_ = layout;
    onSurface_ = onSurface;
    releaseOwnFramebuffer();
    if (onSurface_) {
        bind();
        return;
    }
    std::string reason;
    makeOwnFramebuffer(&reason);
}

// No alpha in the picture, as in a desktop-format back buffer: read-back alpha is 0xFF.
bool PictureBuffer::makeOwnFramebuffer(std::string* reason) {
    glGenFramebuffers(1, &framebuffer_);
    glGenTextures(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    makeCopiedRgbTexture(colour_, layout_.width, layout_.height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, layout_.width, layout_.height);
    bind();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    *reason = "a " + std::to_string(layout_.width) + " x " + std::to_string(layout_.height) +
              " colour and depth framebuffer is not supported";
    return false;
}

void PictureBuffer::releaseOwnFramebuffer() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteTextures(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}

void PictureBuffer::release() { releaseOwnFramebuffer(); }

void PictureBuffer::bind() const { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_); }

void clearColourAndDepth(uint32_t colour) {
    setClearColour(colour);
    clearDepthToFar();
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PictureBuffer::clearMargins(uint32_t colour) {
    const PictureLayout& p = layout_;
    const int boxLeft = static_cast<int>(p.left);
    const int boxTop = static_cast<int>(p.top);
    const int boxRight = std::min(p.width, static_cast<int>(std::lround(p.left + p.scale * SCREEN_WIDTH)));
    const int boxBottom = std::min(p.height, static_cast<int>(std::lround(p.top + p.scale * SCREEN_HEIGHT)));
    // Scissor boxes count rows from the bottom of the picture.
    const PresentRect bars[] = {{0, 0, boxLeft, p.height},
                                {boxRight, 0, p.width - boxRight, p.height},
                                {0, p.height - boxTop, p.width, boxTop},
                                {0, 0, p.width, p.height - boxBottom}};
    setClearColour(colour);
    glEnable(GL_SCISSOR_TEST);
    for (const PresentRect& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0) continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

void PictureBuffer::copyTo(GLuint framebuffer) const { copyColour(framebuffer_, framebuffer, whole()); }

void PictureBuffer::copyFrom(GLuint framebuffer, const PresentRect& area) const {
    copyColour(framebuffer, framebuffer_, area);
}

// Whole pixels wide of the box's edges, so a glyph's antialiased edge is never left out.
PresentRect PictureBuffer::pixelsCovering(int left, int top, int right, int bottom) const {
    const PictureLayout& p = layout_;
    const auto toX = [&p](int x) { return p.left + p.scale * static_cast<float>(x); };
    const auto toY = [&p](int y) { return p.top + p.scale * static_cast<float>(y); };
    const int x0 = std::max(0, static_cast<int>(std::floor(toX(left))) - 1);
    const int x1 = std::min(p.width, static_cast<int>(std::ceil(toX(right))) + 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(toY(top))) - 1);
    const int y1 = std::min(p.height, static_cast<int>(std::ceil(toY(bottom))) + 1);
    return {x0, p.height - y1, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void PictureBuffer::copyColour(GLuint from, GLuint to, const PresentRect& area) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const int x1 = area.x + area.width;
    const int y1 = area.y + area.height;
    glBlitFramebuffer(area.x, area.y, x1, y1, area.x, area.y, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    bind();
}

void PictureBuffer::present(GraphicsContext& context, const TextureCopy& copy) const {
    if (onSurface_) {
        context.swap();
        return;
    }
    int w = 0;
    int h = 0;
    context.drawableSize(w, h);
    if (w <= 0 || h <= 0) return;
    const int pw = layout_.width;
    const int ph = layout_.height;
    const bool whole = pw == w && ph == h;
    // A picture that does not match the drawable is the classic one, or one drawn before a
    // resize that the next frame catches up with: shown letterboxed either way.
    const PresentRect box = whole ? PresentRect{0, 0, w, h} : fitRect(w, h, pw, ph);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!whole) {
        glViewport(0, 0, w, h);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glViewport(box.x, box.y, box.width, box.height);
    copy(colour_, whole ? GL_NEAREST : GL_LINEAR);
    context.swap();
    bind();
    glViewport(0, 0, pw, ph);
}

std::vector<uint32_t> PictureBuffer::readPixels() const {
    const int w = layout_.width;
    const int h = layout_.height;
    std::vector<uint8_t> bottomUp(size_t(w) * size_t(h) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    return argbFromRgbaRows(bottomUp, w, h);
}

}  // namespace vantrel::render
