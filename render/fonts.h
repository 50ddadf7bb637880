// Fixed-pitch text from a glyph atlas (rasterised by the desktop, baked for the browser build):
// the printable ASCII glyphs in one white-on-transparent atlas texture; a string is then a list of
// textured screen quads, tinted by the diffuse colour.
#pragma once

#include "render/gl_api.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/glyph_atlas.h"

namespace vantrel::render {

class FontAtlas {
public:
    // The texture of glyphs rasterised here or baked at build time, drawn scale times their
    // size (1: pixel for pixel, as rasterised for the picture).
    static std::unique_ptr<FontAtlas> fromGlyphs(const GlyphAtlas& glyphs, float scale = 1.0f);
    ~FontAtlas();
    FontAtlas(const FontAtlas&) = delete;
    FontAtlas& operator=(const FontAtlas&) = delete;

    GLuint texture() const { return texture_; }
    // Pixel width of one line of text (every glyph advances the same).
    int lineWidth(const std::string& line) const;
    // Two triangles per glyph of each line of text, placed for the rectangle and alignment.
    void layout(const std::string& text, int left, int top, int right, TextAlign align, uint32_t colour,
                std::vector<ScreenVertex>& out) const;

private:
    FontAtlas() = default;
    GLuint texture_ = 0;
    int atlasWidth_ = 0;
    int atlasHeight_ = 0;
    int lineHeight_ = 0;
    int advance_ = 0;
    float scale_ = 1.0f;
    std::array<GlyphBox, GLYPH_COUNT> glyphs_{};
};

}  // namespace vantrel::render
