// The device on the desktop: an SDL window's OpenGL 3.3 core context, SDL's message box,
// SDL2_ttf's glyphs, and glibc's heap.
#include "render/platform.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "render/desktop/glyph_raster.h"
#include "render/gl_dialect.h"

namespace vantrel::render {

namespace {

constexpr const char* ERROR_CAPTION = "ERROR";

class SdlContext final : public GraphicsContext {
public:
    SdlContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {
        // SDL's offscreen driver draws into a surface made at the window's first size, which
        // does not follow the window when it is resized.
        offscreen_ = SDL_strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;
        if (offscreen_) drawableSize(fixedWidth_, fixedHeight_);
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits_);
    }
    ~SdlContext() override { SDL_GL_DeleteContext(context_); }
    SdlContext(const SdlContext&) = delete;
    SdlContext& operator=(const SdlContext&) = delete;

    // Presenting never waits for the display: the scheduler alone paces frames.
    std::string makeCurrent() override {
        if (SDL_GL_MakeCurrent(window_, context_) != 0) return SDL_GetError();
        SDL_GL_SetSwapInterval(0);
        return "";
    }
    void drawableSize(int& width, int& height) const override { SDL_GL_GetDrawableSize(window_, &width, &height); }
    // The offscreen driver's surface is a pbuffer, whose swap does nothing: unless it waits for
    // the frame as a window's swap does, the driver takes on frame after frame and its memory
    // grows without end (by 600 MB over 900 frames).
    void swap() override {
        if (offscreen_) glFinish();
        SDL_GL_SwapWindow(window_);
    }
    bool picturesOnSurface() const override {
        if (fixedWidth_ == 0) return true;
        int width = 0;
        int height = 0;
        drawableSize(width, height);
        return width == fixedWidth_ && height == fixedHeight_;
    }
    bool surfaceHasDepth() const override { return depthBits_ >= PICTURE_DEPTH_BITS; }
    bool surfaceMayKeepFrames() const override { return true; }
    bool renew() override {
        SDL_GLContext fresh = SDL_GL_CreateContext(window_);
        if (!fresh) {
            makeCurrent();
            return false;
        }
        SDL_GL_DeleteContext(context_);
        context_ = fresh;
        return makeCurrent().empty();
    }

private:
    SDL_Window* window_;
    SDL_GLContext context_;
    bool offscreen_ = false;  // SDL's offscreen driver
    int fixedWidth_ = 0;      // the surface's size where it does not follow the window
    int fixedHeight_ = 0;
    int depthBits_ = 0;  // of the surface, as the context was made on it
};

class RasterisedFonts final : public FontSource {
public:
    RasterisedFonts() = default;
    ~RasterisedFonts() override { TTF_Quit(); }
    RasterisedFonts(const RasterisedFonts&) = delete;
    RasterisedFonts& operator=(const RasterisedFonts&) = delete;

    // Rasterised for the picture at the height it is drawn, pixel for pixel.
    std::unique_ptr<FontAtlas> makeFont(int, int pixelHeight, std::string* error) override {
        const std::optional<GlyphAtlas> glyphs = rasteriseGlyphs(FONT_FILE, pixelHeight, error);
        return glyphs ? FontAtlas::fromGlyphs(*glyphs) : nullptr;
    }
};

// $XDG_CACHE_HOME/vantrel, or ~/.cache/vantrel; empty when neither is set.
std::filesystem::path keptFileFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "vantrel";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::filesystem::path(home) / ".cache" / "vantrel";
    return {};
}

}  // namespace

// The box for the player, with the reason for whoever reads the terminal; with no window system
// the box cannot open and its text goes to standard error too.
void showDeviceFailure(const char* text, const std::string& reason) {
    std::fprintf(stderr, "vantrel: the graphics device could not start: %s\n", reason.c_str());
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, ERROR_CAPTION, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", ERROR_CAPTION, text);
}

std::unique_ptr<FontSource> openFontSource(const std::string&, std::string* error) {
    if (TTF_Init() == 0) return std::make_unique<RasterisedFonts>();
    *error = TTF_GetError();
    return nullptr;
}

std::vector<char> readKeptFile(const std::string& name) {
    const std::filesystem::path folder = keptFileFolder();
    if (folder.empty()) return {};
    std::ifstream file(folder / name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Written beside the file under a name of this process, then renamed over it: a game starting
// at the same time reads the old file or the new one, never half of one.
bool keepFile(const std::string& name, const std::vector<char>& bytes) {
    const std::filesystem::path folder = keptFileFolder();
    if (folder.empty()) return false;
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (failed) return false;
    const std::filesystem::path partial = folder / (name + "." + std::to_string(getpid()));
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
            file.close();
            std::filesystem::remove(partial, failed);
            return false;
        }
    }
    std::filesystem::rename(partial, folder / name, failed);
    if (!failed) return true;
    std::filesystem::remove(partial, failed);
    return false;
}

void returnFreeHeap() { malloc_trim(0); }

void Device::requestContextAttributes(Presentation presentation, const RenderQuality& quality) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, CORE_GL_MAJOR);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, CORE_GL_MINOR);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE,
                        qualityShown(presentation, quality).viewScale < 1.0f ? 0 : PICTURE_DEPTH_BITS);
}

std::unique_ptr<Device> Device::initGraphics(SDL_Window* window, const std::string& dataDir,
                                             Presentation presentation) {
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) return initOnContext(nullptr, window ? SDL_GetError() : "no window", dataDir, presentation);
    return initOnContext(std::make_unique<SdlContext>(window, context), "", dataDir, presentation);
}

}  // namespace vantrel::render
