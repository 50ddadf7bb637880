#include "render/glyph_atlas.h"

namespace vantrel::render {

namespace {

constexpr std::string_view MAGIC = "VTGLYPH1";
constexpr uint32_t MAX_SIDE = 8192;  // far beyond any font height the game asks for

void putWord(std::string& out, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((word >> shift) & 0xff));
}

uint32_t wordAt(std::string_view bytes, size_t offset) {
    uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return word;
}

bool insidePicture(const GlyphBox& g, uint32_t width, uint32_t height) {
    return g.x >= 0 && g.y >= 0 && g.width >= 0 && g.height >= 0 && uint32_t(g.x) + uint32_t(g.width) <= width &&
           uint32_t(g.y) + uint32_t(g.height) <= height;
}

}  // namespace

std::string bakeGlyphAtlas(const GlyphAtlas& atlas) {
    std::string out(MAGIC);
    for (int value : {atlas.width, atlas.height, atlas.lineHeight, atlas.advance}) putWord(out, uint32_t(value));
    for (const GlyphBox& g : atlas.glyphs) {
        for (int value : {g.x, g.y, g.width, g.height}) putWord(out, uint32_t(value));
    }
    out.append(reinterpret_cast<const char*>(atlas.rgba.data()), atlas.rgba.size());
    return out;
}

std::optional<GlyphAtlas> readBakedGlyphAtlas(std::string_view bytes, std::string& error) {
    const size_t header = MAGIC.size() + 16 + size_t(GLYPH_COUNT) * 16;
    if (bytes.size() < header || bytes.substr(0, MAGIC.size()) != MAGIC) {
        error = "not a baked glyph atlas";
        return std::nullopt;
    }
    const uint32_t width = wordAt(bytes, 8), height = wordAt(bytes, 12);
    const uint32_t lineHeight = wordAt(bytes, 16), advance = wordAt(bytes, 20);
    if (width == 0 || height == 0 || width > MAX_SIDE || height > MAX_SIDE || lineHeight > MAX_SIDE ||
        advance > MAX_SIDE) {
        error = "glyph atlas sizes out of range";
        return std::nullopt;
    }
    const size_t expected = header + size_t(width) * height * 4;
    if (bytes.size() != expected) {
        error = "a " + std::to_string(width) + " x " + std::to_string(height) + " glyph atlas needs " +
                std::to_string(expected) + " bytes, not " + std::to_string(bytes.size());
        return std::nullopt;
    }
    GlyphAtlas atlas;
    atlas.width = int(width);
    atlas.height = int(height);
    atlas.lineHeight = int(lineHeight);
    atlas.advance = int(advance);
    size_t at = MAGIC.size() + 16;
    for (int i = 0; i < GLYPH_COUNT; ++i, at += 16) {
        GlyphBox& g = atlas.glyphs[size_t(i)];
        g = {int(wordAt(bytes, at)), int(wordAt(bytes, at + 4)), int(wordAt(bytes, at + 8)),
             int(wordAt(bytes, at + 12))};
        if (!insidePicture(g, width, height)) {
            error = "glyph " + std::to_string(i) + " lies outside the atlas";
            return std::nullopt;
        }
    }
    atlas.rgba.assign(reinterpret_cast<const uint8_t*>(bytes.data()) + header,
                      reinterpret_cast<const uint8_t*>(bytes.data()) + bytes.size());
    return atlas;
}

std::vector<int> bakedFontHeights(int designHeight) {
    std::vector<int> heights;
    for (int scale : BAKED_FONT_SCALES) heights.push_back(designHeight * scale);
    return heights;
}

int bakedFontHeightFor(int designHeight, int pixelHeight) {
    const std::vector<int> heights = bakedFontHeights(designHeight);
    for (int height : heights) {
        if (height >= pixelHeight) return height;
    }
    return heights.back();
}

std::string bakedFontFile(int bakedHeight) { return "font-" + std::to_string(bakedHeight) + ".glyphs"; }

}  // namespace vantrel::render
