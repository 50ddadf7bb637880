// The device in the browser: the page shows failures, glyphs come from the atlases vantrel-bake
// made at build time, and the heap is WebAssembly memory, which never shrinks.
#include "render/platform.h"

#include <emscripten.h>

#include <cstdio>

#include "render/glyph_atlas.h"
#include "render/image.h"

namespace {

// The page's message box for a failure the player must see (the page provides it).
EM_JS(void, showPageError, (const char* text), {
    if (Module.vantrelError) Module.vantrelError(UTF8ToString(text));
});

}  // namespace

namespace vantrel::render {

namespace {

class BakedFonts final : public FontSource {
public:
    explicit BakedFonts(std::string dataDir) : dataDir_(std::move(dataDir)) {}

    // The baked atlas nearest above the height drawn, scaled to it.
    std::unique_ptr<FontAtlas> makeFont(int designHeight, int pixelHeight, std::string* error) override {
        const int bakedHeight = bakedFontHeightFor(designHeight, pixelHeight);
        const std::string path = dataDir_ + "/" + bakedFontFile(bakedHeight);
        const auto bytes = readAssetFile(path, error);
        if (!bytes) return nullptr;
        const std::optional<GlyphAtlas> glyphs =
            readBakedGlyphAtlas(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), *error);
        if (!glyphs) {
            *error = path + ": " + *error;
            return nullptr;
        }
        return FontAtlas::fromGlyphs(*glyphs, static_cast<float>(pixelHeight) / static_cast<float>(bakedHeight));
    }

private:
    std::string dataDir_;
};

}  // namespace

// The box's own text is the desktop's; the page says what went wrong in its own words.
void showDeviceFailure(const char*, const std::string& reason) {
    std::fprintf(stderr, "vantrel: the graphics device could not start: %s\n", reason.c_str());
    const std::string message = "The game's graphics could not start: " + reason + ".";
    showPageError(message.c_str());
}

std::unique_ptr<FontSource> openFontSource(const std::string& dataDir, std::string*) {
    return std::make_unique<BakedFonts>(dataDir);
}

std::vector<char> readKeptFile(const std::string&) { return {}; }

bool keepFile(const std::string&, const std::vector<char>&) { return false; }

void returnFreeHeap() {}

}  // namespace vantrel::render
