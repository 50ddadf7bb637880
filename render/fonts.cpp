#include "render/fonts.h"

#include <cmath>

#include "render/textures.h"

namespace vantrel::render {

namespace {

char glyphFor(unsigned char c) {
    if (c >= static_cast<unsigned char>(FIRST_GLYPH) && c <= static_cast<unsigned char>(LAST_GLYPH))
        return static_cast<char>(c);
    return REPLACEMENT_GLYPH;
}

// Splits text into lines and maps each character (a UTF-8 sequence counts once) to a glyph.
std::vector<std::string> glyphLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\n')
            lines.emplace_back();
        else if ((c & 0xC0) != 0x80)
            lines.back().push_back(glyphFor(c));
    }
    return lines;
}

}  // namespace

std::unique_ptr<FontAtlas> FontAtlas::fromGlyphs(const GlyphAtlas& glyphs, float scale) {
    std::unique_ptr<FontAtlas> atlas(new FontAtlas());
    atlas->scale_ = scale;
    atlas->atlasWidth_ = glyphs.width;
    atlas->atlasHeight_ = glyphs.height;
    atlas->lineHeight_ = glyphs.lineHeight;
    atlas->advance_ = glyphs.advance;
    atlas->glyphs_ = glyphs.glyphs;
    glGenTextures(1, &atlas->texture_);
    glBindTexture(GL_TEXTURE_2D, atlas->texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, glyphs.width, glyphs.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 glyphs.rgba.data());
    filterLinearClampedToEdge();
    return atlas;
}

FontAtlas::~FontAtlas() {
    if (texture_) glDeleteTextures(1, &texture_);
}

int FontAtlas::lineWidth(const std::string& line) const {
    return static_cast<int>(std::lround(static_cast<float>(line.size()) * static_cast<float>(advance_) * scale_));
}

void FontAtlas::layout(const std::string& text, int left, int top, int right, TextAlign align, uint32_t colour,
                       std::vector<ScreenVertex>& out) const {
    const float du = 1.0f / static_cast<float>(atlasWidth_);
    const float dv = 1.0f / static_cast<float>(atlasHeight_);
    const float advance = static_cast<float>(advance_) * scale_;
    auto y = static_cast<float>(top);
    for (const std::string& line : glyphLines(text)) {
        const int width = lineWidth(line);
        int start = left;
        if (align == TextAlign::Right) start = right - width;
        if (align == TextAlign::Center) start = left + (right - left - width) / 2;
        auto x = static_cast<float>(start);
        for (const char ch : line) {
            const GlyphBox& g = glyphs_[size_t(ch - FIRST_GLYPH)];
            if (g.width > 0) {
                const float x1 = x + static_cast<float>(g.width) * scale_;
                const float y1 = y + static_cast<float>(g.height) * scale_;
                const float u0 = static_cast<float>(g.x) * du, v0 = static_cast<float>(g.y) * dv;
                const float u1 = static_cast<float>(g.x + g.width) * du, v1 = static_cast<float>(g.y + g.height) * dv;
                const ScreenVertex a{x, y, 0, 1, colour, u0, v0}, b{x, y1, 0, 1, colour, u0, v1};
                const ScreenVertex c{x1, y1, 0, 1, colour, u1, v1}, d{x1, y, 0, 1, colour, u1, v0};
                out.insert(out.end(), {a, b, c, a, c, d});
            }
            x += advance;
        }
        y += static_cast<float>(lineHeight_) * scale_;
    }
}

}  // namespace vantrel::render
