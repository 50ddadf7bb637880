#include "play/options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "world/world.h"

namespace vantrel {

bool parseScreenshotRequest(const std::string& text, ScreenshotRequest& out, std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        error = "--screenshot wants TICK:FILE.png, got \"" + text + "\"";
        return false;
    }
    int tick = 0;
    const char* end = text.data() + colon;
    const auto [ptr, ec] = std::from_chars(text.data(), end, tick);
    if (ec != std::errc() || ptr != end || tick < 0) {
        error = "--screenshot: \"" + text.substr(0, colon) + "\" is not a tick number";
        return false;
    }
    out.tick = tick;
    out.path = text.substr(colon + 1);
    return true;
}

bool parseWindowSize(const std::string& text, WindowSize& out, std::string& error) {
    const std::size_t x = text.find_first_of("xX");
    int sides[2] = {0, 0};
    const std::string parts[2] = {text.substr(0, x), x == std::string::npos ? "" : text.substr(x + 1)};
    for (int i = 0; i < 2; ++i) {
        const char* end = parts[i].data() + parts[i].size();
        const auto [ptr, ec] = std::from_chars(parts[i].data(), end, sides[i]);
        if (x == std::string::npos || parts[i].empty() || ec != std::errc() || ptr != end) {
            error = "--size wants WIDTHxHEIGHT in pixels, such as 1280x720, got \"" + text + "\"";
            return false;
        }
    }
    for (const int side : sides) {
        if (side < MIN_WINDOW_SIDE || side > MAX_WINDOW_SIDE) {
            error = "--size " + text + ": each side must be " + std::to_string(MIN_WINDOW_SIDE) + " to " +
                    std::to_string(MAX_WINDOW_SIDE) + " pixels";
            return false;
        }
    }
    out = {sides[0], sides[1]};
    return true;
}

bool parseQuality(std::string_view text, render::Quality& out, std::string& error) {
    const std::optional<render::Quality> quality = render::qualityNamed(text);
    if (!quality) {
        error = "wants low, medium or high, got \"" + std::string(text) + "\"";
        return false;
    }
    out = *quality;
    return true;
}

// strtod rather than from_chars: the browser build's library has no floating-point from_chars.
bool parseRenderScale(std::string_view text, float& out, std::string& error) {
    const std::string digits(text);
    char* end = nullptr;
    const double value = digits.empty() ? 0.0 : std::strtod(digits.c_str(), &end);
    if (digits.empty() || end != digits.c_str() + digits.size() || !(value >= MIN_RENDER_SCALE) ||
        !(value <= MAX_RENDER_SCALE)) {
        error = "wants a number from 0.25 to 1, got \"" + digits + "\"";
        return false;
    }
    out = static_cast<float>(value);
    return true;
}

namespace {

int badArguments(const std::string& message) {
    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
    return EXIT_BAD_ARGUMENTS;
}

// A whole number from lo to hi, its refusal one short sentence: "--fps: wants a whole number
// of frames a second from 1 to 1000, not 0". what names the number.
CLI::Validator wholeNumber(const std::string& what, long long lo, long long hi) {
    const std::string wanted = "wants " + what + " from " + std::to_string(lo) + " to " + std::to_string(hi);
    return CLI::Validator(
        [=](const std::string& text) -> std::string {
            long long value = 0;
            const char* end = text.data() + text.size();
            const auto [ptr, ec] = std::from_chars(text.data(), end, value);
            const bool inRange = ec == std::errc() && ptr == end && value >= lo && value <= hi;
            return inRange ? std::string() : wanted + ", not " + text;
        },
        "");
}

// "on" or "off", refused as "--vsync: wants on or off, not maybe".
CLI::Validator onOrOff() {
    return CLI::Validator(
        [](const std::string& text) -> std::string {
            return text == "on" || text == "off" ? std::string() : "wants on or off, not " + text;
        },
        "");
}

}  // namespace

std::optional<int> parseCommandLine(int argc, const char* const* argv, Options& out, const std::string& keysHelp) {
    CLI::App app{
        "vantrel: air combat over a patch of terrain. With no options, a dialog asks "
        "for window or full screen and sound."};
    app.set_version_flag("--version", std::string("vantrel ") + VANTREL_VERSION);
    bool windowFlag = false, fullscreenFlag = false;
    auto* window = app.add_flag("--window", windowFlag, "skip the start dialog: play in a window");
    auto* fullscreen = app.add_flag("--fullscreen", fullscreenFlag, "skip the start dialog: play full screen");
    window->excludes(fullscreen);
    app.add_flag("--no-sound", out.noSound, "sound off");
    app.add_option("--data", out.dataDir,
                   "data directory (default: data/ beside the program, then ../share/vantrel/data, then ./data)");
    uint64_t seedValue = 0;
    auto* seed = app.add_option("--seed", seedValue, "seed of the random generator (default: the clock)")
                     ->check(wholeNumber("a whole number", 0, UINT32_MAX));
    auto* scale = app.add_option("--scale", out.scale, "window size as a multiple of 640 x 480")
                      ->check(wholeNumber("a whole number", 1, 8));
    std::string sizeText;
    app.add_option("--size", sizeText, "WxH: open the window at this size")->excludes(scale);
    app.add_flag("--classic", out.classic,
                 "the original presentation: a 640 x 480 picture letterboxed in the window, one frame per tick");
    app.add_option("--fps", out.fps, "draw at most N frames a second (default: the display's refresh rate)")
        ->check(wholeNumber("a whole number of frames a second", 1, 1000));
    std::string hintsText = out.hints ? "on" : "off";  // the settings file's, unless named here
    app.add_option("--hints", hintsText,
                   "on or off: the controls card, the pointer to the enemy, notices, pause and the ESC "
                   "confirmation (default on; --classic has none)")
        ->check(onOrOff());
    std::string qualityText, renderScaleText;
    auto* quality =
        app.add_option("--quality", qualityText,
                       "low, medium or high (default high): the picture traded for speed, for software rendering");
    auto* renderScale =
        app.add_option("--render-scale", renderScaleText,
                       "0.25 to 1: the 3D view drawn at this share of the window's width and height and scaled up "
                       "(default: the quality's)");
    std::string vsyncText = "on";
    app.add_option("--vsync", vsyncText, "on or off: wait for the display when showing a frame (default on)")
        ->check(onOrOff());
    auto* input = app.add_option("--input", out.inputFile, "take every tick's keys from this key script");
    app.add_option("--record", out.recordFile, "write the seed and every tick's keys as a key script");
    std::vector<std::string> shots;
    app.add_option("--screenshot", shots, "TICK:FILE.png: save the frame drawn after that logic tick")
        ->allow_extra_args(false);
    app.add_option("--quit-after", out.quitAfter, "end normally after this many logic ticks")
        ->check(wholeNumber("a whole number of ticks", 1, INT32_MAX));
    auto* demo = app.add_option("--demo", out.demo, "the game flies mission N (1-5) by itself and ends with it")
                     ->check(wholeNumber("a mission number", 1, 5));
    demo->excludes(input);
    app.add_flag("--fast", out.fast, "run one tick and one frame per pass, without waiting");
    auto* host = app.add_flag("--host", out.host, "host a network game: others join with the line it prints");
    auto* join = app.add_option("--join", out.join, "HOST[:PORT]/CODE: join that network game");
    join->excludes(host);
    demo->excludes(host)->excludes(join);
    app.add_option("--name", out.name, "your name in a network game, up to 12 characters (default: your login)");
    app.add_option("--start-with", out.startWith, "hosting: start the mission once N players are in")
        ->check(wholeNumber("a number of players", 1, MAX_SEATS))
        ->needs(host);
    app.add_option("--mission", out.mission, "hosting: the mission to fly, 1-5")
        ->check(wholeNumber("a mission number", 1, 5))
        ->needs(host);
    app.add_option("--port", out.hostPort, "hosting: the relay's TCP port (default 8031; 0: any free port)")
        ->check(wholeNumber("a port number", 0, 65535))
        ->needs(host);
    app.add_flag("--print-hash", out.printHash, "print the World hash on exit")->group("");
    app.footer(
        "Missions (each is briefed on the menu):\n"
        "  1 DUEL OVER THE RIVER   one enemy fighter, a first duel\n"
        "  2 MORNING PATROL        you and a wingman against two\n"
        "  3 CROSSWIND ESCORT      three against three, guarding a heavy fighter\n"
        "  4 VALLEY RAID           six against eight\n"
        "  5 THE GRAND BATTLE      fourteen against sixteen\n" +
        keysHelp +
        "Gamepad: left stick pitch and roll, d-pad up/down pitch (both move the menu cursor),\n"
        "  shoulders rudder, right/left trigger throttle up/down, A gun, B launcher,\n"
        "  X radar range, Y view, Start = Space (pauses a mission), Back = Esc.\n"
        "Network: vantrel --host prints how others join (vantrel --join HOST:8031/CODE); on the menu,\n"
        "  H hosts and J asks for the address. In the lobby the host picks the mission (Up/Down) and\n"
        "  starts it (Space); Left/Right choose the FRIEND or ENEMY side.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return badArguments(e.what());
    }
    if (seed->count() > 0) out.seed = static_cast<uint32_t>(seedValue);
    out.vsync = vsyncText == "on";
    out.hints = hintsText == "on";
    if (!sizeText.empty()) {
        WindowSize size;
        std::string error;
        if (!parseWindowSize(sizeText, size, error)) return badArguments(error);
        out.size = size;
    }
    if (quality->count() > 0) {
        render::Quality chosen{};
        std::string error;
        if (!parseQuality(qualityText, chosen, error)) return badArguments("--quality " + error);
        out.quality = chosen;
    }
    if (renderScale->count() > 0) {
        float chosen = 1.0f;
        std::string error;
        if (!parseRenderScale(renderScaleText, chosen, error)) return badArguments("--render-scale " + error);
        out.renderScale = chosen;
    }
    if (windowFlag) out.screen = ScreenChoice::Window;
    if (fullscreenFlag) out.screen = ScreenChoice::FullScreen;
    for (const std::string& text : shots) {
        ScreenshotRequest request;
        std::string error;
        if (!parseScreenshotRequest(text, request, error)) return badArguments(error);
        out.screenshots.push_back(request);
    }
    return std::nullopt;
}

std::optional<StartChoice> startFromCommandLine(const Options& o) {
    switch (o.screen) {
        case ScreenChoice::Window:
            return StartChoice{ScreenMode::Window, !o.noSound, chosenQuality(o)};
        case ScreenChoice::FullScreen:
            return StartChoice{ScreenMode::FullScreen, !o.noSound, chosenQuality(o)};
        case ScreenChoice::Dialog:
            break;
    }
    return std::nullopt;
}

bool resolveDataDir(const std::string& requested, const std::string& executableDir, std::string& out,
                    std::string& error) {
    std::error_code ec;
    if (!requested.empty()) {
        if (!std::filesystem::is_directory(requested, ec)) {
            error = "--data " + requested + ": no such directory";
            return false;
        }
        out = requested;
        return true;
    }
    const std::filesystem::path exe(executableDir);
    for (const std::filesystem::path& candidate : {exe / "data", exe / ".." / "share" / "vantrel" / "data"}) {
        if (!executableDir.empty() && std::filesystem::is_directory(candidate, ec)) {
            out = candidate.lexically_normal().string();
            return true;
        }
    }
    out = "./data";
    return true;
}

std::string resolveSoundLibrary(const std::string& executableDir) {
    constexpr const char* FILE_NAME = "libezds.so";
    const std::filesystem::path exe(executableDir);
    const std::filesystem::path beside = exe / FILE_NAME;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) return beside.string();
    for (const std::filesystem::path& installed :
         {exe / ".." / "lib" / "vantrel" / FILE_NAME, exe / ".." / "lib" / "games" / "vantrel" / FILE_NAME}) {
        if (std::filesystem::exists(installed, ec)) return installed.lexically_normal().string();
    }
    return beside.string();
}

}  // namespace vantrel
