// What the graphics device takes from the system it runs on. Each build compiles its own side:
// desktop/platform.cpp (an SDL window's OpenGL context, message boxes, SDL2_ttf's glyphs, glibc's
// heap) and browser/platform.cpp (a canvas's WebGL 2 context, the page's message, the glyph
// atlases baked at build time).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "render/fonts.h"

namespace vantrel::render {

// The depth in bits of a picture the 3D view is drawn into: a picture of its own has it, and a
// surface must have as much to take its place (less lets far and near surfaces fight).
constexpr int PICTURE_DEPTH_BITS = 24;

// The GL context the device draws with and the surface present shows the picture on.
class GraphicsContext {
public:
    virtual ~GraphicsContext() = default;
    // Makes the context current; the reason when it cannot be.
    virtual std::string makeCurrent() = 0;
    // The surface's size in pixels.
    virtual void drawableSize(int& width, int& height) const = 0;
    // Shows what was drawn to the default framebuffer.
    virtual void swap() = 0;
    // Whether a picture of the surface's size may be drawn straight into its back buffer: what
    // is drawn is read back and shown as drawn.
    virtual bool picturesOnSurface() const = 0;
    // Whether the surface has a depth buffer of PICTURE_DEPTH_BITS or more, which a picture the
    // 3D view is drawn into needs.
    virtual bool surfaceHasDepth() const = 0;
    // Whether the surface's back buffers may still hold the frames drawn on them when they come
    // round again (a software renderer's do); false where the surface is emptied once shown.
    virtual bool surfaceMayKeepFrames() const = 0;
    // Replaces the context with a fresh, current one on the same surface; the old one goes with
    // all it held. False, with the old one kept and current, when none can be made.
    virtual bool renew() = 0;
};

// The player's message that the device could not start (text), with the reason for whoever
// reads the log.
void showDeviceFailure(const char* text, const std::string& reason);

// Makes the glyph atlases the device draws text with.
class FontSource {
public:
    virtual ~FontSource() = default;
    // Font of the given line height in the 640 x 480 design space, drawn pixelHeight pixels high.
    virtual std::unique_ptr<FontAtlas> makeFont(int designHeight, int pixelHeight, std::string* error) = 0;
};
// Null, with the reason, when no fonts can be made.
std::unique_ptr<FontSource> openFontSource(const std::string& dataDir, std::string* error);

// Files kept between runs to start faster and lighter (the desktop's are in the user's cache
// folder; the browser keeps none). What is kept under name, or empty.
std::vector<char> readKeptFile(const std::string& name);
// Replaces what is kept under name whole; false, quietly, when it cannot.
bool keepFile(const std::string& name, const std::vector<char>& bytes);

// Hands back to the system what the heap holds free.
void returnFreeHeap();

}  // namespace vantrel::render
