#include "render/fonts.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>

namespace vantrel::render {

namespace {

constexpr int ATLAS_COLUMNS = 16;
constexpr int ATLAS_ROWS = (GLYPH_COUNT + ATLAS_COLUMNS - 1) / ATLAS_COLUMNS;
constexpr int ATLAS_PADDING = 1;  // keeps linear sampling of one glyph off its neighbours

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct FontDeleter {
    void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
using FontPtr = std::unique_ptr<TTF_Font, FontDeleter>;

// Picks the largest point size whose line height fits; returns 0 if even size 1 is too tall.
int fitPointSize(TTF_Font* font, int pixelHeight) {
    for (int pt = pixelHeight; pt >= 1; --pt) {
        if (TTF_SetFontSize(font, pt) == 0 && TTF_FontHeight(font) <= pixelHeight) return pt;
    }
    return 0;
}

// The glyph in RGBA byte order, white with coverage in alpha; null for blank glyphs.
SurfacePtr renderGlyph(TTF_Font* font, char ch) {
    const SDL_Color white{255, 255, 255, 255};
    SurfacePtr raw(TTF_RenderGlyph_Blended(font, static_cast<Uint16>(ch), white));
    if (!raw) return nullptr;
    return SurfacePtr(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

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
        if (ch == '\n') lines.emplace_back();
        else if ((c & 0xC0) != 0x80) lines.back().push_back(glyphFor(c));
    }
    return lines;
}

}  // namespace

std::optional<GlyphAtlas> rasteriseGlyphs(const std::string& fontFile, int pixelHeight, std::string* error) {
    if (pixelHeight < 1 || pixelHeight > 512) {
        if (error) *error = "font height out of range";
        return std::nullopt;
    }
    FontPtr font(TTF_OpenFont(fontFile.c_str(), pixelHeight));
    if (!font) {
        if (error) *error = "cannot open font " + fontFile + ": " + TTF_GetError();
        return std::nullopt;
    }
    if (fitPointSize(font.get(), pixelHeight) == 0) {
        if (error) *error = "no point size of " + fontFile + " fits the line height";
        return std::nullopt;
    }
    GlyphAtlas atlas;
    atlas.lineHeight = pixelHeight;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    TTF_GlyphMetrics(font.get(), 'M', &minX, &maxX, &minY, &maxY, &atlas.advance);

    std::array<SurfacePtr, GLYPH_COUNT> surfaces;
    int cellW = 1;
    int cellH = 1;
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        surfaces[size_t(i)] = renderGlyph(font.get(), static_cast<char>(FIRST_GLYPH + i));
        if (!surfaces[size_t(i)]) continue;
        cellW = std::max(cellW, surfaces[size_t(i)]->w);
        cellH = std::max(cellH, surfaces[size_t(i)]->h);
    }
    cellW += ATLAS_PADDING;
    cellH += ATLAS_PADDING;
    atlas.width = ATLAS_COLUMNS * cellW;
    atlas.height = ATLAS_ROWS * cellH;
    atlas.rgba.assign(size_t(atlas.width) * size_t(atlas.height) * 4, 0);
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        const SDL_Surface* s = surfaces[size_t(i)].get();
        GlyphBox& box = atlas.glyphs[size_t(i)];
        box = {(i % ATLAS_COLUMNS) * cellW, (i / ATLAS_COLUMNS) * cellH, 0, 0};
        if (!s) continue;
        box.width = s->w;
        box.height = s->h;
        for (int row = 0; row < s->h; ++row) {
            std::memcpy(&atlas.rgba[(size_t(box.y + row) * size_t(atlas.width) + size_t(box.x)) * 4],
                        static_cast<const uint8_t*>(s->pixels) + size_t(row) * size_t(s->pitch), size_t(s->w) * 4);
        }
    }
    return atlas;
}

std::unique_ptr<FontAtlas> FontAtlas::create(const std::string& fontFile, int pixelHeight, std::string* error) {
    const std::optional<GlyphAtlas> glyphs = rasteriseGlyphs(fontFile, pixelHeight, error);
    if (!glyphs) return nullptr;
    return fromGlyphs(*glyphs);
}

std::unique_ptr<FontAtlas> FontAtlas::fromGlyphs(const GlyphAtlas& glyphs) {
    std::unique_ptr<FontAtlas> atlas(new FontAtlas());
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
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return atlas;
}

FontAtlas::~FontAtlas() {
    if (texture_) glDeleteTextures(1, &texture_);
}

int FontAtlas::lineWidth(const std::string& line) const { return static_cast<int>(line.size()) * advance_; }

void FontAtlas::layout(const std::string& text, int left, int top, int right, TextAlign align, uint32_t colour,
                       std::vector<ScreenVertex>& out) const {
    const float du = 1.0f / static_cast<float>(atlasWidth_);
    const float dv = 1.0f / static_cast<float>(atlasHeight_);
    int y = top;
    for (const std::string& line : glyphLines(text)) {
        const int width = lineWidth(line);
        int x = left;
        if (align == TextAlign::Right) x = right - width;
        if (align == TextAlign::Center) x = left + (right - left - width) / 2;
        for (const char ch : line) {
            const GlyphBox& g = glyphs_[size_t(ch - FIRST_GLYPH)];
            if (g.width > 0) {
                const auto x0 = static_cast<float>(x), y0 = static_cast<float>(y);
                const auto x1 = static_cast<float>(x + g.width), y1 = static_cast<float>(y + g.height);
                const float u0 = static_cast<float>(g.x) * du, v0 = static_cast<float>(g.y) * dv;
                const float u1 = static_cast<float>(g.x + g.width) * du, v1 = static_cast<float>(g.y + g.height) * dv;
                const ScreenVertex a{x0, y0, 0, 1, colour, u0, v0}, b{x0, y1, 0, 1, colour, u0, v1};
                const ScreenVertex c{x1, y1, 0, 1, colour, u1, v1}, d{x1, y0, 0, 1, colour, u1, v0};
                out.insert(out.end(), {a, b, c, a, c, d});
            }
            x += advance_;
        }
        y += lineHeight_;
    }
}

}  // namespace vantrel::render
