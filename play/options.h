// The command line. With no options the start dialog asks for the screen mode and sound;
// the options skip or automate it for players, tests and tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/device.h"
#include "render/quality.h"

namespace vantrel {

constexpr int EXIT_CANCELLED = 0;  // start cancelled or failed
constexpr int EXIT_NORMAL = 1;     // the main loop ended
constexpr int EXIT_BAD_ARGUMENTS = 2;

enum class ScreenChoice { Dialog, Window, FullScreen };

// How the game starts, from the command line or the start dialog.
enum class ScreenMode { Window, FullScreen };
struct StartChoice {
    ScreenMode screen = ScreenMode::Window;
    bool soundEnabled = true;
    render::Quality quality = render::Quality::High;
    bool operator==(const StartChoice&) const = default;
};

struct ScreenshotRequest {
    int tick = 0;  // saved from the first frame drawn after this many logic ticks
    std::string path;
    bool operator==(const ScreenshotRequest&) const = default;
};

// A window size in screen coordinates ("WxH" on the command line).
struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};
constexpr int MIN_WINDOW_SIDE = 64;
constexpr int MAX_WINDOW_SIDE = 16384;
// The 3D view's share of the picture's width and height.
constexpr float MIN_RENDER_SCALE = 0.25f;
constexpr float MAX_RENDER_SCALE = 1.0f;

struct Options {
    ScreenChoice screen = ScreenChoice::Dialog;
    bool noSound = false;
    std::string dataDir;  // empty: beside the executable, then ../share/vantrel/data, then ./data
    std::optional<uint32_t> seed;
    int scale = 1;
    std::optional<WindowSize> size;          // overrides scale
    bool classic = false;                    // 640 x 480 picture, letterboxed, one frame per tick, no hints
    bool hints = true;                       // the newcomer's helpers: controls card, pointer, notices, pause
    std::optional<render::Quality> quality;  // none: the player chose none (high)
    std::optional<float> renderScale;        // none: the quality's
    int fps = 0;                             // frames a second at most; 0: the display's rate
    bool vsync = true;
    std::string inputFile;
    std::string recordFile;
    std::vector<ScreenshotRequest> screenshots;
    int quitAfter = 0;  // logic ticks; 0 runs until the player ends the game
    bool fast = false;
    bool printHash = false;  // prints the World hash on exit, for replay checks
    int demo = 0;            // 1..5: the game flies this mission by itself, then ends

    // Network play.
    bool host = false;    // start a relay here and open a match others join
    std::string join;     // "HOST[:PORT]/CODE": join that match
    std::string name;     // shown to the others; empty: the login name
    int startWith = 0;    // the host starts the mission once this many players are in
    int mission = 0;      // the host's mission, 1..5 (0: the lobby's choice)
    int hostPort = 8031;  // the hosted relay's TCP port; 0: any free one
};

// "TICK:FILE.png". Returns false with the reason in error.
bool parseScreenshotRequest(const std::string& text, ScreenshotRequest& out, std::string& error);

// "WxH", each side MIN_WINDOW_SIDE..MAX_WINDOW_SIDE. Returns false with the reason in error.
bool parseWindowSize(const std::string& text, WindowSize& out, std::string& error);

// "low", "medium" or "high". Returns false with the reason in error.
bool parseQuality(std::string_view text, render::Quality& out, std::string& error);

// A number from MIN_RENDER_SCALE to MAX_RENDER_SCALE. Returns false with the reason in error.
bool parseRenderScale(std::string_view text, float& out, std::string& error);

// The start the command line settles (--window or --fullscreen, sound unless --no-sound);
// nothing when the start dialog must ask.
std::optional<StartChoice> startFromCommandLine(const Options& o);

// The quality chosen: high, the full picture, when none was.
inline render::Quality chosenQuality(const Options& o) { return o.quality.value_or(render::Quality::High); }

// What the quality and render scale chosen change in the picture.
inline render::RenderQuality chosenRenderQuality(const Options& o) {
    return render::renderQuality(chosenQuality(o), o.renderScale);
}

// The classic picture with --classic, else the picture at the window's own size.
inline render::Presentation chosenPresentation(const Options& o) {
    return o.classic ? render::Presentation::Classic : render::Presentation::Native;
}

// The newcomer's helpers are on unless --hints off or --classic says otherwise.
inline bool hintsWanted(const Options& o) { return o.hints && !o.classic; }

// Parses argv. Returns an exit code when the program should end at once (help, version, or
// bad arguments after a one-line message on standard error), nothing when it should run.
// keysHelp: the platform's keys for --help, whole lines.
std::optional<int> parseCommandLine(int argc, const char* const* argv, Options& out, const std::string& keysHelp = "");

// The data directory: --data when given (it must be a directory), else data/ beside the
// executable (a build tree), else ../share/vantrel/data from it (an installed game), else
// ./data. Returns false with the reason in error for a bad --data.
bool resolveDataDir(const std::string& requested, const std::string& executableDir, std::string& out,
                    std::string& error);

// The sound library: beside the executable (a build tree), else ../lib/vantrel/ from it (an
// installed game), else ../lib/games/vantrel/ (the Debian package, its program in games/). The
// first place when none holds it, so the message names it.
std::string resolveSoundLibrary(const std::string& executableDir);

}  // namespace vantrel
