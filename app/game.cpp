#include "app/game.h"

#include <SDL.h>
#include <stb_image_write.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/demo.h"
#include "app/full_screen.h"
#include "app/gamepad.h"
#include "app/icon.h"
#include "app/keyboard.h"
#include "app/keymap.h"
#include "app/message.h"
#include "app/start_dialog.h"
#include "game/briefing.h"
#include "game/flow.h"
#include "game/keyscript.h"
#include "game/scheduler.h"
#include "render/device.h"
#include "render/frame.h"
#include "render/interpolation.h"
#include "sound/binding.h"
#include "world/world.h"

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

int badArguments(const std::string& message) {
    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
    return EXIT_BAD_ARGUMENTS;
}

bool writePng(const std::string& path, const std::vector<uint32_t>& argb, int width, int height) {
    const std::vector<uint8_t> rgba = rgbaBytes(argb);
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

WindowSize windowedSize(const Options& o) {
    if (o.size) return *o.size;
    return {render::SCREEN_WIDTH * o.scale, render::SCREEN_HEIGHT * o.scale};
}

// What the command line asks of a run beyond playing: scripted keys, a recording, screenshots.
struct RunRequests {
    std::optional<KeyScript> script;
    std::ofstream recordFile;
    uint32_t seed = 0;
};

class Game final : public SchedulerClient {
public:
    Game(const Options& options, std::string dataDir, RunRequests& requests)
        : options_(options), dataDir_(std::move(dataDir)), requests_(requests), world_(std::make_unique<World>()),
          previous_(std::make_unique<World>()), scene_(std::make_unique<World>()), keyboard_(loadKeyMap()),
          windowedSize_(windowedSize(options)) {
        scheduler_.fast = options.fast;
        scheduler_.interpolating = !options.classic && !options.fast;
        if (options.demo > 0) demo_.emplace(options.demo);
        if (requests.recordFile.is_open()) recorder_.emplace(requests.seed);
        for (const ScreenshotRequest& s : options.screenshots) screenshots_.push_back({s, false});
    }

    bool createMainWindow(ScreenMode screen) {
        screen_ = screen;
        render::Device::requestContextAttributes();
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
        seedRandom(world_->rngState, requests_.seed);
        device_ = render::Device::initGraphics(
            window_, dataDir_, options_.classic ? render::Presentation::Classic : render::Presentation::Native);
        if (!device_) return false;
        setFramePacing();
        sound_.soundEnabled = soundEnabled;
        startSound(sound_, reinterpret_cast<HWND__*>(window_), resolveSoundLibrary(executableDir()), dataDir_);
        for (int font = 0; font < render::FONT_COUNT; ++font) {
            device_->createFont(font, render::FONT_PIXEL_HEIGHTS[font]);
        }
        loadWorldAssets(*world_, dataDir_);
        device_->loadMeshTable(dataDir_);
        for (int n = 1; n <= SITUATION_COUNT; ++n) briefings_.push_back(loadBriefing(dataDir_, n));
        if (screen_ == ScreenMode::FullScreen) SDL_ShowCursor(SDL_DISABLE);
        return true;
    }

    void runMainLoop() {
        focused_ = noWindowSystem() || (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
        world_->running = 1;
        while (world_->running != 0) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) handleEvent(e);
            if (focused_) schedulerStep(scheduler_, *this);
            if (world_->running != 0) waitForWork();
        }
    }

    void shutdownGame() {
        if (screen_ == ScreenMode::FullScreen) SDL_ShowCursor(SDL_ENABLE);
        if (device_) device_->releaseMeshes();
        device_.reset();
        stopSound(sound_);
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    void finishRequests() {
        for (const PendingScreenshot& s : screenshots_) {
            if (!s.done) {
                std::fprintf(stderr, "vantrel: no frame was drawn after tick %d; %s not written\n",
                             s.request.tick, s.request.path.c_str());
            }
        }
        if (recorder_) {
            requests_.recordFile << recorder_->text();
            requests_.recordFile.close();
            if (!requests_.recordFile) std::fprintf(stderr, "vantrel: --record %s: write failed\n", options_.recordFile.c_str());
        }
        if (demo_) std::printf("%s\n", demo_->outcome(*world_).c_str());
        if (options_.printHash) std::printf("world-hash %016" PRIx64 "\n", hashWorld(*world_));
    }

    uint32_t now() override { return SDL_GetTicks(); }

    void runTick() override {
        uint8_t snapshot[256];
        ++ticksRun_;
        if (requests_.script) {
            requests_.script->snapshot(ticksRun_, snapshot);
        } else if (demo_) {
            takeDemoSnapshot(snapshot);
        } else {
            keyboard_.takeSnapshot(snapshot);
        }
        if (recorder_) recorder_->record(ticksRun_, snapshot);
        *previous_ = *world_;
        const bool informationAsked = logicTick(*world_, dataDir_, snapshot);
        playSoundEvents(sound_, world_->sounds);
        if (informationAsked) showInformation();
        if (demo_ && demo_->finished(*world_)) world_->running = 0;
        if (options_.quitAfter > 0 && ticksRun_ >= options_.quitAfter) world_->running = 0;
    }

    void drawFrame() override {
        const std::optional<StillPicture> still = stillPicture();
        if (still && still == shown_) {
            // The picture in the device and on screen is already this frame's.
            saveDueScreenshots();
            return;
        }
        const float fraction = tickFraction(scheduler_, now());
        if (!scheduler_.interpolating || fraction >= 1.0f) {
            render::renderFrame(*device_, *world_, briefings_);
        } else {
            render::blendWorlds(*previous_, *world_, fraction, *scene_);
            render::renderFrame(*device_, *scene_, *world_, briefings_);
        }
        saveDueScreenshots();
        device_->present();
        shown_ = still;
    }

    // Title and menu change only with a tick.
    bool sceneMovesBetweenTicks() override { return world_->gameMode == MODE_MISSION; }

private:
    struct PendingScreenshot {
        ScreenshotRequest request;
        bool done;
    };

    // A still screen's frame: what it shows and at which picture size.
    struct StillPicture {
        uint64_t key;
        int width, height;
        bool operator==(const StillPicture&) const = default;
    };

    std::optional<StillPicture> stillPicture() const {
        const std::optional<uint64_t> key = render::stillFrameKey(*world_);
        if (!key) return std::nullopt;
        const render::PictureLayout next = device_->upcomingLayout();
        return StillPicture{*key, next.width, next.height};
    }

    void handleEvent(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT:
                world_->running = 0;
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

    // The demo flies alone; ESC on the keyboard or pad still abandons it.
    void takeDemoSnapshot(uint8_t snapshot[256]) {
        uint8_t player[256];
        keyboard_.takeSnapshot(player);
        demo_->snapshot(*world_, snapshot);
        snapshot[VK_ESCAPE] |= player[VK_ESCAPE];
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
        if (!scheduler_.interpolating) {
            SDL_GL_SetSwapInterval(0);
            return;
        }
        const bool vsync = options_.vsync && SDL_GL_SetSwapInterval(1) == 0;
        if (!vsync) SDL_GL_SetSwapInterval(0);
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        const int refreshRate = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
        scheduler_.drawInterval = frameIntervalMs(options_.fps, vsync, refreshRate);
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
        if (e.event == SDL_WINDOWEVENT_CLOSE) world_->running = 0;
        if (e.event == SDL_WINDOWEVENT_EXPOSED) shown_.reset();  // what was on screen may be lost
        if (noWindowSystem()) return;
        if (e.event == SDL_WINDOWEVENT_FOCUS_GAINED) focused_ = true;
        if (e.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            focused_ = false;
            keyboard_.releaseAll();  // the releases go to the window in front
        }
    }

    // Sleeps until the next tick or frame is due, or an event arrives; while another window
    // has the focus the game is frozen and sleeps until something happens.
    void waitForWork() {
        SDL_Event e;
        if (!focused_) {
            if (SDL_WaitEvent(&e) != 0) handleEvent(e);
            return;
        }
        const uint32_t wait = millisecondsUntilDue(scheduler_, now());
        if (wait > 0 && SDL_WaitEventTimeout(&e, static_cast<int>(wait)) != 0) handleEvent(e);
    }

    void showInformation() {
        const std::string text = formatMessage("vantrel version %s\n\nMAIN FPS %d\nDRAW FPS %d", VANTREL_VERSION,
                                               scheduler_.mainFps, scheduler_.drawFps);
        // A box takes the key releases made while it is open.
        if (showMessage(window_, GAME_TITLE, text)) keyboard_.releaseAll();
    }

    void saveDueScreenshots() {
        for (PendingScreenshot& s : screenshots_) {
            if (s.done || ticksRun_ < s.request.tick) continue;
            s.done = true;
            const render::PictureLayout& picture = device_->layout();
            if (!writePng(s.request.path, device_->readPixels(), picture.width, picture.height)) {
                std::fprintf(stderr, "vantrel: screenshot %s cannot be written\n", s.request.path.c_str());
            }
        }
    }

    const Options& options_;
    const std::string dataDir_;
    RunRequests& requests_;
    std::unique_ptr<World> world_;
    std::unique_ptr<World> previous_;  // the World before the latest tick
    std::unique_ptr<World> scene_;     // what a frame between two ticks draws
    Sound sound_;
    std::unique_ptr<render::Device> device_;
    std::vector<MissionBriefing> briefings_;  // situation k at k - 1, for the menu
    SDL_Window* window_ = nullptr;
    ScreenMode screen_ = ScreenMode::Window;
    bool focused_ = true;
    KeyboardSnapshot keyboard_;
    WindowSize windowedSize_;  // the window's size to come back to from full screen
    Gamepads gamepads_;
    std::optional<DemoPilot> demo_;
    Scheduler scheduler_;
    std::optional<KeyScriptRecorder> recorder_;
    std::vector<PendingScreenshot> screenshots_;
    std::optional<StillPicture> shown_;  // the last frame drawn, when of a still screen
    int ticksRun_ = 0;
};

// SDL falls back to its offscreen driver when there is no display; a player would then get an
// invisible game. Only a run that asks for that driver by name (tests, tools) goes on.
bool screenWanted() {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (!noWindowSystem() || (requested != nullptr && requested[0] != '\0')) return true;
    std::fprintf(stderr, "vantrel: no display (DISPLAY is not set). To run without one, set "
                         "SDL_VIDEODRIVER=offscreen.\n");
    return false;
}

// Reads what the options name before any window opens, so a bad file ends the program at once.
std::optional<int> prepareRequests(const Options& o, RunRequests& r) {
    if (!o.inputFile.empty()) {
        std::string error;
        r.script.emplace();
        if (!r.script->load(o.inputFile, error)) return badArguments("--input " + o.inputFile + ": " + error);
    }
    if (o.seed) {
        r.seed = *o.seed;
    } else if (r.script && r.script->seed()) {
        r.seed = *r.script->seed();
    } else {
        r.seed = static_cast<uint32_t>(std::time(nullptr));
    }
    if (!o.recordFile.empty()) {
        r.recordFile.open(o.recordFile, std::ios::out | std::ios::trunc);
        if (!r.recordFile) return badArguments("--record " + o.recordFile + ": cannot be written");
    }
    return std::nullopt;
}

// Nothing when the player cancelled the start.
std::optional<StartChoice> chooseStart(const Options& o) {
    if (std::optional<StartChoice> settled = startFromCommandLine(o)) return settled;
    std::optional<StartChoice> choice = runStartDialog(!o.noSound);
    if (choice && o.noSound) choice->soundEnabled = false;
    return choice;
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
    const int exitCode = start ? runGame(o, dataDir, requests, *start) : EXIT_CANCELLED;
    SDL_Quit();
    return exitCode;
}

}  // namespace vantrel
