#include "app/game.h"

#include <SDL.h>
#include <stb_image_write.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/full_screen.h"
#include "app/gamepad.h"
#include "app/icon.h"
#include "app/keyboard.h"
#include "app/keymap.h"
#include "app/message.h"
#include "app/start_dialog.h"
#include "game/scheduler.h"
#include "net/data_files.h"
#include "play/session.h"
#include "play/settings.h"
#include "relay/websocket_link.h"
#include "relay/websocket_relay.h"
#include "render/device.h"
#include "render/image.h"
#include "render/platform.h"
#include "sound/binding.h"

namespace vantrel {

namespace {

constexpr const char* GAME_TITLE = "vantrel";
constexpr int WINDOW_ICON_SIZE = 32;

std::string executableDir() {
    char* base = SDL_GetBasePath();
    std::string dir = base != nullptr ? base : "";
    SDL_free(base);
    return dir;
}

std::string machineName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

int badArguments(const std::string& message) {
    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
    return EXIT_BAD_ARGUMENTS;
}

bool writePng(const std::string& path, const std::vector<uint32_t>& argb, int width, int height) {
    const std::vector<uint8_t> rgba = render::rgbaBytes(argb);
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

WindowSize windowedSize(const Options& o) {
    if (o.size) return *o.size;
    return {render::SCREEN_WIDTH * o.scale, render::SCREEN_HEIGHT * o.scale};
}

// The SDL side of a run: the window, its events, the keyboard and pads, full screen, frame
// pacing and the message boxes around the platform-neutral session.
class Game final : public SessionHost {
public:
    Game(const Options& options, std::string dataDir, RunRequests& requests)
        : options_(options), dataDir_(std::move(dataDir)), session_(options, dataDir_, requests, *this, sound_),
          keyboard_(loadKeyMap()), windowedSize_(windowedSize(options)) {}

    bool createMainWindow(ScreenMode screen) {
        screen_ = screen;
        render::Device::requestContextAttributes(chosenPresentation(options_), chosenRenderQuality(options_));
        const bool fullScreen = screen == ScreenMode::FullScreen;
        const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                             (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        window_ = SDL_CreateWindow(GAME_TITLE, 0, 0, windowedSize_.width, windowedSize_.height, flags);
        if (window_ == nullptr) {
            std::fprintf(stderr, "vantrel: the game window cannot open: %s\n", SDL_GetError());
            return false;
        }
        setWindowIcon();
        if (fullScreen) fillDisplayWithoutWindowManager(window_);
        return true;
    }

    bool initGame(bool soundEnabled) {
        auto device = render::Device::initGraphics(window_, dataDir_, chosenPresentation(options_));
        if (!device) return false;
        sayOnceWhichQualitySuits(*device);
        setFramePacing();
        sound_.soundEnabled = soundEnabled;
        startSound(sound_, reinterpret_cast<HWND__*>(window_), resolveSoundLibrary(executableDir()), dataDir_);
        session_.start(std::move(device));
        if (screen_ == ScreenMode::FullScreen) SDL_ShowCursor(SDL_DISABLE);
        return true;
    }

    void runMainLoop() {
        focused_ = noWindowSystem() || (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
        while (session_.running()) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) handleEvent(e);
            // Each pass: a network game may begin after the focus has gone.
            session_.setAway(!focused_);
            if (!frozen()) schedulerStep(session_.scheduler(), session_);
            followTextInput();
            if (session_.running()) waitForWork();
        }
    }

    void shutdownGame() {
        if (screen_ == ScreenMode::FullScreen) SDL_ShowCursor(SDL_ENABLE);
        session_.releaseDevice();
        stopSound(sound_);
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    void finishRequests() {
        for (const std::string& line : session_.finish()) std::printf("%s\n", line.c_str());
    }

    uint32_t now() override { return SDL_GetTicks(); }

    void takePlayerKeys(uint8_t out[256]) override { keyboard_.takeSnapshot(out); }

    std::vector<std::string> keyNames(uint8_t code) override { return keyboard_.keyMap().keyNames(code); }

    bool gamepadConnected() override { return gamepads_.anyConnected(); }

    void showInformation(const std::string& text) override {
        // A box takes the key releases made while it is open.
        if (showMessage(window_, GAME_TITLE, text)) keyboard_.releaseAll();
    }

    void saveScreenshot(const ScreenshotRequest& request, const std::vector<uint32_t>& argb, int width,
                        int height) override {
        if (!writePng(request.path, argb, width, height))
            std::fprintf(stderr, "vantrel: screenshot %s cannot be written\n", request.path.c_str());
    }

    std::unique_ptr<net::MessageLink> connectToRelay(const net::JoinAddress& address, std::string& error) override {
        std::unique_ptr<net::MessageLink> link = relay::WebSocketLink::connect(address);
        if (!link) error = "the network library cannot start";
        return link;
    }

    // The relay runs on a thread of this program for as long as the program does, on every
    // address, so players on the network reach it by this machine's name.
    std::optional<HostingPlace> hostingPlace(std::string& error) override {
        if (!hostedRelay_) {
            net::RelayConfig config;
            config.dataDir = dataDir_;
            config.gameVersion = VANTREL_VERSION;
            config.random = relay::systemRandom();
            if (!net::hashDataDirectory(dataDir_, config.dataFiles, error)) return std::nullopt;
            relay::ListenOptions listen;
            listen.port = options_.hostPort;
            hostedRelay_ = relay::HostedRelay::start(std::move(config), listen, error);
            if (!hostedRelay_) return std::nullopt;
        }
        const int port = hostedRelay_->port();
        return HostingPlace{net::JoinAddress{"127.0.0.1", port, ""}, machineName() + ":" + std::to_string(port)};
    }

private:
    void handleEvent(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT:
                session_.stop();
                break;
            case SDL_WINDOWEVENT:
                handleWindowEvent(e.window);
                break;
            case SDL_KEYDOWN:
                if (e.key.repeat != 0) break;
                if (isFullScreenToggle(e.key)) {
                    toggleFullScreen();
                } else {
                    keyboard_.setKey(e.key.keysym.scancode, true);
                }
                break;
            case SDL_KEYUP:
                keyboard_.setKey(e.key.keysym.scancode, false);
                break;
            case SDL_TEXTINPUT:
                session_.typeText(e.text.text);
                break;
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
            case SDL_CONTROLLERAXISMOTION:
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
                if (gamepads_.handleEvent(e)) keyboard_.setPadKeys(gamepads_.heldKeys());
                break;
            default:
                break;
        }
    }

    // Typed characters arrive as text only while the session asks for an address.
    void followTextInput() {
        const bool wanted = session_.wantsText();
        if (wanted == (SDL_IsTextInputActive() == SDL_TRUE)) return;
        if (wanted) {
            SDL_StartTextInput();
        } else {
            SDL_StopTextInput();
        }
    }

    // Alt+Enter, in a window or in full screen; RETURN alone stays the information key.
    static bool isFullScreenToggle(const SDL_KeyboardEvent& key) {
        const bool enter = key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER;
        return enter && (key.keysym.mod & KMOD_ALT) != 0;
    }

    bool isFullScreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

    void toggleFullScreen() {
        const bool full = isFullScreen();
        if (!full) SDL_GetWindowSize(window_, &windowedSize_.width, &windowedSize_.height);
        if (SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            std::fprintf(stderr, "vantrel: full screen cannot be switched: %s\n", SDL_GetError());
            return;
        }
        if (full) {
            SDL_SetWindowSize(window_, windowedSize_.width, windowedSize_.height);
        } else {
            fillDisplayWithoutWindowManager(window_);
        }
        SDL_ShowCursor(full ? SDL_ENABLE : SDL_DISABLE);
    }

    // Vsync where the display offers it, the frame interval to go with it; classic keeps one
    // frame every 30 ms and never waits for the display.
    void setFramePacing() {
        Scheduler& scheduler = session_.scheduler();
        if (!scheduler.interpolating) {
            SDL_GL_SetSwapInterval(0);
            return;
        }
        const bool vsync = options_.vsync && SDL_GL_SetSwapInterval(1) == 0;
        if (!vsync) SDL_GL_SetSwapInterval(0);
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        const int refreshRate = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
        scheduler.drawInterval = frameIntervalMs(options_.fps, vsync, refreshRate);
    }

    void setWindowIcon() {
        std::vector<uint32_t> pixels = iconPixels(WINDOW_ICON_SIZE);
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), WINDOW_ICON_SIZE, WINDOW_ICON_SIZE, 32,
                                                               WINDOW_ICON_SIZE * 4, SDL_PIXELFORMAT_ARGB8888);
        if (icon == nullptr) return;  // the window manager's own icon is fine
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

    void handleWindowEvent(const SDL_WindowEvent& e) {
        if (e.event == SDL_WINDOWEVENT_CLOSE) session_.stop();
        if (e.event == SDL_WINDOWEVENT_EXPOSED) session_.pictureLost();
        if (noWindowSystem()) return;
        if (e.event == SDL_WINDOWEVENT_FOCUS_GAINED) focused_ = true;
        if (e.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            focused_ = false;
            keyboard_.releaseAll();  // the releases go to the window in front
        }
    }

    // A software renderer with no quality chosen: the first start says which quality suits it,
    // once for the user (remembered in the cache folder), and leaves the picture as it is.
    void sayOnceWhichQualitySuits(const render::Device& device) {
        constexpr const char* SAID = "quality-hint-said";
        if (options_.quality || options_.renderScale || options_.classic || !device.softwareRenderer() ||
            !render::readKeptFile(SAID).empty())
            return;
        const char* suited = render::qualityName(render::suitedQuality(device.rendererName()));
        std::fprintf(stderr,
                     "vantrel: this computer draws in software (%s): the game runs much smoother with --quality %s, "
                     "or \"quality = %s\" in %s\n",
                     device.rendererName().c_str(), suited, suited, settingsPath().c_str());
        render::keepFile(SAID, {'1'});
    }

    // A game alone stands still while another window has the focus; a network game goes on for
    // the others, the computer flying this player's aircraft meanwhile.
    bool frozen() const { return !focused_ && !session_.inNetworkGame(); }

    // Sleeps until the next tick or frame is due; a frozen game sleeps until something happens.
    void waitForWork() {
        SDL_Event e;
        if (frozen()) {
            if (SDL_WaitEvent(&e) != 0) handleEvent(e);
            return;
        }
        // Keys count only at the next tick, so the wait need not end at an event. A plain sleep
        // wakes once: SDL's drivers that cannot wait for events (offscreen) poll every
        // millisecond instead, which costs a quiet screen most of its CPU.
        const uint32_t wait = millisecondsUntilDue(session_.scheduler(), now());
        if (wait > 0) SDL_Delay(wait);
    }

    const Options& options_;
    const std::string dataDir_;
    Sound sound_;
    Session session_;
    SDL_Window* window_ = nullptr;
    ScreenMode screen_ = ScreenMode::Window;
    bool focused_ = true;
    KeyboardSnapshot keyboard_;
    WindowSize windowedSize_;  // the window's size to come back to from full screen
    Gamepads gamepads_;
    std::unique_ptr<relay::HostedRelay> hostedRelay_;
};

// SDL falls back to its offscreen driver when there is no display; a player would then get an
// invisible game. Only a run that asks for that driver by name (tests, tools) goes on.
bool screenWanted() {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (!noWindowSystem() || (requested != nullptr && requested[0] != '\0')) return true;
    std::fprintf(stderr,
                 "vantrel: no display (DISPLAY is not set). To run without one, set "
                 "SDL_VIDEODRIVER=offscreen.\n");
    return false;
}

// Nothing when the player cancelled the start.
std::optional<StartChoice> chooseStart(const Options& o) {
    if (std::optional<StartChoice> settled = startFromCommandLine(o)) return settled;
    std::optional<StartChoice> choice = runStartDialog(!o.noSound, chosenQuality(o));
    if (choice && o.noSound) choice->soundEnabled = false;
    return choice;
}

// A quality picked in the dialog holds for this run and, kept in the settings file, for later
// ones; one left as it opened changes nothing.
Options withDialogQuality(const Options& o, const StartChoice& start) {
    Options chosen = o;
    if (start.quality == chosenQuality(o)) return chosen;
    chosen.quality = start.quality;
    if (!saveSetting("quality", render::qualityName(start.quality)))
        std::fprintf(stderr, "vantrel: the quality chosen cannot be kept in %s\n", settingsPath().c_str());
    return chosen;
}

int runGame(const Options& o, const std::string& dataDir, RunRequests& requests, const StartChoice& start) {
    Game game(o, dataDir, requests);
    if (!game.createMainWindow(start.screen)) return EXIT_CANCELLED;
    if (!game.initGame(start.soundEnabled)) {
        game.shutdownGame();
        return EXIT_CANCELLED;
    }
    game.runMainLoop();
    game.shutdownGame();
    game.finishRequests();
    return EXIT_NORMAL;
}

}  // namespace

int runProgram(const Options& o) {
    std::string dataDir, error;
    if (!resolveDataDir(o.dataDir, executableDir(), dataDir, error)) return badArguments(error);
    RunRequests requests;
    if (auto exitCode = prepareRequests(o, requests)) return *exitCode;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vantrel: no display: %s\n", SDL_GetError());
        return EXIT_CANCELLED;
    }
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "vantrel: gamepads are not available: %s\n", SDL_GetError());
    }
    if (!screenWanted()) {
        SDL_Quit();
        return EXIT_CANCELLED;
    }
    const std::optional<StartChoice> start = chooseStart(o);
    const int exitCode = start ? runGame(withDialogQuality(o, *start), dataDir, requests, *start) : EXIT_CANCELLED;
    SDL_Quit();
    return exitCode;
}

}  // namespace vantrel
