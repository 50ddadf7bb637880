// A font's printable ASCII glyphs drawn into one white-on-transparent RGBA picture, with no GL
// and no font library in sight: the desktop rasterises it with SDL2_ttf when a font is created;
// the browser build, which has no font rasteriser, loads the same picture baked at build time.
// Baked layout, little-endian: the 8 bytes "VTGLYPH1", width, height, line height and advance
// (uint32 each), x y width height of each glyph (uint32 each), then width × height RGBA pixels,
// top row first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::render {

constexpr char FIRST_GLYPH = ' ';
constexpr char LAST_GLYPH = '~';
constexpr int GLYPH_COUNT = LAST_GLYPH - FIRST_GLYPH + 1;
constexpr char REPLACEMENT_GLYPH = '?';  // drawn for any character outside the atlas

struct GlyphBox {
    int x, y, width, height;  // in the atlas, pixels
};

struct GlyphAtlas {
    int width = 0, height = 0;  // of the picture, pixels
    int lineHeight = 0;         // pixels from one line of text to the next
    int advance = 0;            // pixels from one glyph to the next (fixed pitch)
    std::array<GlyphBox, GLYPH_COUNT> glyphs{};
    std::vector<uint8_t> rgba;  // width × height pixels, top row first
};

// Each font is baked at its design line height times each of these, so a picture drawn up to
// twice the design size takes its glyphs from an atlas at least as large, scaled down.
constexpr int BAKED_FONT_SCALES[] = {1, 2};

// The baked line heights of a font of the given design height, smallest first.
std::vector<int> bakedFontHeights(int designHeight);
// The baked height to draw a line of pixelHeight pixels from: the smallest at least that tall,
// else the tallest.
int bakedFontHeightFor(int designHeight, int pixelHeight);
// The baked atlas's file name in the data folder, e.g. "font-20.glyphs".
std::string bakedFontFile(int bakedHeight);

std::string bakeGlyphAtlas(const GlyphAtlas& atlas);

// The atlas, or nothing with the reason in error when the bytes are not a whole baked atlas
// whose glyphs lie inside its picture.
std::optional<GlyphAtlas> readBakedGlyphAtlas(std::string_view bytes, std::string& error);

}  // namespace vantrel::render
