// Fixed-pitch text from DejaVu Sans Mono through SDL2_ttf. Each font renders its printable ASCII
// glyphs once into one white-on-transparent atlas texture; a string is then a list of textured
// screen quads, tinted by the diffuse colour.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/glyph_atlas.h"

namespace vantrel::render {

constexpr const char* FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// The glyphs of the face at the largest point size whose line fits in pixelHeight pixels,
// drawn by SDL2_ttf (which must be initialised); nothing, with the reason, if it cannot be.
std::optional<GlyphAtlas> rasteriseGlyphs(const std::string& fontFile, int pixelHeight, std::string* error);

class FontAtlas {
public:
    // The largest point size of the face whose line fits in pixelHeight pixels.
    static std::unique_ptr<FontAtlas> create(const std::string& fontFile, int pixelHeight, std::string* error);
    // The texture of glyphs rasterised here or baked at build time.
    static std::unique_ptr<FontAtlas> fromGlyphs(const GlyphAtlas& glyphs);
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
    std::array<GlyphBox, GLYPH_COUNT> glyphs_{};
};

}  // namespace vantrel::render
