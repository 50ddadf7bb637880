// The desktop's font rasteriser: DejaVu Sans Mono through SDL2_ttf, drawn into a glyph atlas. The
// browser build has no font rasteriser and loads the atlases vantrel-bake made with this one.
#pragma once

#include <optional>
#include <string>

#include "render/glyph_atlas.h"

namespace vantrel::render {

constexpr const char* FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// The glyphs of the face at the largest point size whose line fits in pixelHeight pixels,
// drawn by SDL2_ttf (which must be initialised); nothing, with the reason, if it cannot be.
std::optional<GlyphAtlas> rasteriseGlyphs(const std::string& fontFile, int pixelHeight, std::string* error);

}  // namespace vantrel::render
