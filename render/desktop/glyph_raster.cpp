#include "render/desktop/glyph_raster.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>
#include <memory>

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

}  // namespace vantrel::render
