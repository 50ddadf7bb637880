// vantrel in the browser. The page calls main with the game's command line (callMain); without
// --window or --fullscreen the game waits for the page's start overlay to call vantrel_start.
// The browser's animation frames drive the same scheduler as the desktop's loop; keys, pads,
// focus and visibility come from emscripten's html5 events; the page shows the boxes. See
// web/README.md for what the page and the game exchange.
#include <GLES3/gl3.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "play/options.h"
#include "play/session.h"
#include "render/browser/canvas_context.h"
#include "render/image.h"
#include "render/quality.h"
#include "sound/binding.h"
#include "web/audio.h"
#include "web/platform_keys.h"
#include "web/platform_pad.h"
#include "web/websocket_link.h"

namespace {

// The page's hooks (web/README.md); each is optional, so a bare page still runs the game.
EM_JS(void, pageShowInformation, (const char* text), {
    if (Module.vantrelShowInformation)
        Module.vantrelShowInformation(UTF8ToString(text));
    else
        console.log(UTF8ToString(text));
});
EM_JS(void, pageError, (const char* text), {
    if (Module.vantrelError)
        Module.vantrelError(UTF8ToString(text));
    else
        console.error(UTF8ToString(text));
});
EM_JS(void, pageScreenshot, (int tick, const char* path, int width, int height, const uint8_t* rgba), {
    if (Module.vantrelScreenshot) Module.vantrelScreenshot(tick, UTF8ToString(path), width, height, rgba);
});
EM_JS(void, pageMatch, (const char* code), {
    if (Module.vantrelMatch) Module.vantrelMatch(UTF8ToString(code));
});
EM_JS(void, pageFinished, (int exitCode, const char* lines), {
    if (Module.vantrelFinished) Module.vantrelFinished(exitCode, UTF8ToString(lines));
});
// The graphics driver behind WebGL: the plain RENDERER is masked ("WebKit WebGL") in most
// browsers. Read from the canvas's context, the one the game draws with.
EM_JS(char*, unmaskedRenderer, (), {
    const gl = Module.canvas.getContext('webgl2');
    if (!gl) return stringToNewUTF8('');
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    return stringToNewUTF8(String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER)));
});

constexpr const char* CANVAS = "#canvas";
constexpr const char* DEFAULT_DATA_DIR = "/data";
// A file every data folder holds: without it the pack did not arrive.
constexpr const char* DATA_MARKER = "title.bmp";
// In --fast runs, passes of the scheduler per animation frame, at most this long.
constexpr double FAST_PASSES_MS = 12.0;

constexpr const char* BROWSER_KEYS_HELP =
    "Keys (either set): keypad 8/5 or Up/Down nose down/up and menu cursor, keypad 4/6 or Left/Right\n"
    "  roll, keypad 7/9 or comma/full stop rudder, Z gun, X launcher, Q/A throttle, F1 look back,\n"
    "  F2 radar range, F3 view, F4 map, F11/F12 aircraft, Space start, Esc back, Enter information,\n"
    "  P pause.\n";

class BrowserGame final : public vantrel::SessionHost {
public:
    BrowserGame(const vantrel::Options& options, std::string dataDir, vantrel::RunRequests requests)
        : options_(options), dataDir_(std::move(dataDir)), requests_(std::move(requests)),
          session_(options_, dataDir_, requests_, *this, sound_) {}

    // Creates the WebGL 2 device on the canvas and loads the game; false after telling the page.
    bool start(bool soundOn) {
        followCanvasSize();
        std::string error;
        auto context = vantrel::render::createCanvasContext(CANVAS, &error);
        auto device =
            vantrel::render::Device::initOnContext(std::move(context), error, dataDir_, chosenPresentation(options_));
        if (!device) return false;
        settleQuality();
        vantrel::Scheduler& scheduler = session_.scheduler();
        // The browser paces animation frames at the display's rate.
        if (scheduler.interpolating) scheduler.drawInterval = vantrel::frameIntervalMs(options_.fps, true, 0);
        sound_.soundEnabled = soundOn;
        vantrel::web::startWebAudio(sound_, dataDir_);
        session_.start(std::move(device));
        return true;
    }

    void listen() {
        const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
        emscripten_set_keydown_callback(window, this, EM_TRUE, onKey);
        emscripten_set_keyup_callback(window, this, EM_TRUE, onKey);
        emscripten_set_keypress_callback(window, this, EM_TRUE, onCharacter);
        // Not captured: focus and blur of the page's own buttons must not freeze the game.
        emscripten_set_blur_callback(window, this, EM_FALSE, onFocus);
        emscripten_set_focus_callback(window, this, EM_FALSE, onFocus);
        emscripten_set_visibilitychange_callback(this, EM_TRUE, onVisibility);
    }

    void setFrozenByPage(bool frozen) {
        if (frozen == frozenByPage_) return;
        frozenByPage_ = frozen;
        keyboard_.releaseAll();  // the overlay took the key releases
    }

    // One animation frame: the canvas size, the pads, then the scheduler unless frozen.
    void animationFrame() {
        followCanvasSize();
        keyboard_.setPadKeys(sampleGamepads(padConnected_));
        followAttention();
        if (frozen()) return;
        vantrel::Scheduler& scheduler = session_.scheduler();
        const double start = emscripten_get_now();
        do {
            vantrel::schedulerStep(scheduler, session_);
            // WebGL runs its commands in another process, later; a --fast run hands each frame's
            // over at once. A browser's finish does not wait for the drawing: a benchmark's span
            // ends at a screenshot, whose read-back does.
            if (scheduler.fast) glFinish();
        } while (scheduler.fast && session_.running() && emscripten_get_now() - start < FAST_PASSES_MS);
        if (!session_.running()) finish();
    }

    bool fast() { return session_.scheduler().fast; }

    uint32_t now() override { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

    void takePlayerKeys(uint8_t out[256]) override { keyboard_.takeSnapshot(out); }

    std::vector<std::string> keyNames(uint8_t code) override { return vantrel::web::keyNamesOf(code); }

    bool gamepadConnected() override { return padConnected_; }

    void showInformation(const std::string& text) override { pageShowInformation(text.c_str()); }

    void saveScreenshot(const vantrel::ScreenshotRequest& request, const std::vector<uint32_t>& argb, int width,
                        int height) override {
        const std::vector<uint8_t> rgba = vantrel::render::rgbaBytes(argb);
        pageScreenshot(request.tick, request.path.c_str(), width, height, rgba.data());
    }

    std::unique_ptr<vantrel::net::MessageLink> connectToRelay(const vantrel::net::JoinAddress& address,
                                                              std::string&) override {
        return vantrel::web::BrowserWebSocketLink::connect(address, [this] { session_.serviceNetwork(); });
    }

    // The relay that served the page, under a code drawn here: a web server in front of several
    // relays routes each match by its code, so the host must bring one.
    std::optional<HostingPlace> hostingPlace(std::string&) override {
        vantrel::net::JoinAddress relay = vantrel::web::pageRelay();
        std::random_device random;
        relay.code = vantrel::net::drawJoinCode([&random] { return (uint64_t{random()} << 32) ^ random(); });
        vantrel::net::JoinAddress shown = relay;
        shown.code.clear();
        std::string text = shown.text();
        text.pop_back();  // the slash before the code
        return HostingPlace{relay, text};
    }

    // The start overlay asked to join the match at joinText, or to host one.
    void playTogether(bool host, const std::string& joinText) {
        options_.host = host;
        options_.join = joinText;
    }

    // The start overlay's quality, by name; any other (its Auto) leaves the choice to the game.
    void chooseQuality(std::string_view name) { options_.quality = vantrel::render::qualityNamed(name); }

private:
    // Unless the player or the address chose one (the start overlay's Auto), the page plays at the
    // quality that suits the browser's graphics driver: low on a software renderer. Before the
    // session starts, which reads it.
    void settleQuality() {
        const std::unique_ptr<char, decltype(&std::free)> renderer(unmaskedRenderer(), &std::free);
        if (!options_.quality && !options_.renderScale)
            options_.quality = vantrel::render::suitedQuality(renderer.get());
        std::printf("vantrel: drawing at quality %s on %s\n",
                    vantrel::render::qualityName(vantrel::chosenQuality(options_)), renderer.get());
    }

    // A game alone stands still while the player looks away; a network game goes on for the
    // others, the computer flying this player's aircraft.
    bool frozen() const { return !session_.inNetworkGame() && (frozenByPage_ || hidden_ || !focused_); }

    void followAttention() {
        session_.setAway(frozenByPage_ || hidden_ || !focused_);
        const std::string code = session_.matchCode();
        if (code != shownCode_) pageMatch(code.c_str());
        shownCode_ = code;
    }

    void finish() {
        emscripten_cancel_main_loop();
        std::string lines;
        for (const std::string& line : session_.finish()) {
            std::printf("%s\n", line.c_str());
            lines += line + "\n";
        }
        session_.releaseDevice();
        vantrel::stopSound(sound_);
        pageFinished(vantrel::EXIT_NORMAL, lines.c_str());
    }

    // The picture follows the canvas's size on the page times the device pixel ratio, so it
    // stays sharp on any screen.
    void followCanvasSize() {
        double cssWidth = 0.0;
        double cssHeight = 0.0;
        if (emscripten_get_element_css_size(CANVAS, &cssWidth, &cssHeight) != EMSCRIPTEN_RESULT_SUCCESS) return;
        const double ratio = emscripten_get_device_pixel_ratio();
        const int width = static_cast<int>(std::lround(cssWidth * ratio));
        const int height = static_cast<int>(std::lround(cssHeight * ratio));
        int current[2] = {0, 0};
        emscripten_get_canvas_element_size(CANVAS, &current[0], &current[1]);
        if (width > 0 && height > 0 && (width != current[0] || height != current[1]))
            emscripten_set_canvas_element_size(CANVAS, width, height);
    }

    // The keys the pads in the standard mapping hold; connected tells whether there is one.
    static std::bitset<256> sampleGamepads(bool& connected) {
        std::bitset<256> keys;
        connected = false;
        if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return keys;
        for (int i = 0; i < emscripten_get_num_gamepads(); ++i) {
            EmscriptenGamepadEvent state;
            if (emscripten_get_gamepad_status(i, &state) != EMSCRIPTEN_RESULT_SUCCESS || !state.connected) continue;
            if (std::strcmp(state.mapping, "standard") != 0) continue;  // buttons in an unknown order
            connected = true;
            vantrel::web::StandardPad pad;
            pad.axes.assign(state.axis, state.axis + state.numAxes);
            for (int b = 0; b < state.numButtons; ++b)
                pad.buttons.push_back(state.digitalButton[b] ? 1.0 : state.analogButton[b]);
            keys |= vantrel::web::padKeys(pad);
        }
        return keys;
    }

    // The game's keys are the game's alone: the page neither scrolls nor opens anything on them.
    static EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* e, void* self) {
        if (!vantrel::web::isGameKey(e->code)) return EM_FALSE;
        static_cast<BrowserGame*>(self)->keyboard_.setKey(e->code, eventType == EMSCRIPTEN_EVENT_KEYDOWN);
        return EM_TRUE;
    }

    // Characters for the address the player types on the menu (J), while they type one.
    static EM_BOOL onCharacter(int, const EmscriptenKeyboardEvent* e, void* self) {
        auto* game = static_cast<BrowserGame*>(self);
        if (!game->session_.wantsText() || std::strlen(e->key) != 1) return EM_FALSE;
        game->session_.typeText(e->key);
        return EM_TRUE;
    }

    // The releases of keys held when the page loses the focus go elsewhere.
    static EM_BOOL onFocus(int eventType, const EmscriptenFocusEvent*, void* self) {
        auto* game = static_cast<BrowserGame*>(self);
        game->focused_ = eventType == EMSCRIPTEN_EVENT_FOCUS;
        game->keyboard_.releaseAll();
        game->followAttention();
        return EM_FALSE;
    }

    static EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* e, void* self) {
        auto* game = static_cast<BrowserGame*>(self);
        game->hidden_ = e->hidden != 0;
        game->keyboard_.releaseAll();
        // A hidden tab gets no animation frames: the relay hears of it now.
        game->followAttention();
        return EM_FALSE;
    }

    vantrel::Options options_;  // the session reads it; the page fills in the quality and network play
    const std::string dataDir_;
    vantrel::RunRequests requests_;
    vantrel::Sound sound_;
    vantrel::Session session_;
    vantrel::web::BrowserKeyboard keyboard_;
    bool focused_ = true;  // a page opens with the focus; only a blur takes it
    bool padConnected_ = false;
    bool hidden_ = false;
    bool frozenByPage_ = false;
    std::string shownCode_;
};

std::unique_ptr<BrowserGame> game;
bool started = false;  // a second START (a double click) changes nothing

void runAnimationFrame() { game->animationFrame(); }

void startGame(bool soundOn) {
    if (started) return;
    started = true;
    if (!game->start(soundOn)) {
        pageFinished(vantrel::EXIT_CANCELLED, "");
        return;
    }
    game->listen();
    emscripten_set_main_loop(runAnimationFrame, 0, EM_FALSE);
    // A --fast run (tests, frame benchmarks) goes on as soon as the browser lets it instead of
    // at the display's animation frames, so its time is what its frames cost.
    if (game->fast()) emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
}

}  // namespace

extern "C" {

// The start overlay's choice. Full screen is the page's to ask for; the game follows the canvas.
EMSCRIPTEN_KEEPALIVE void vantrel_start(int, int soundOn) {
    if (game) startGame(soundOn != 0);
}

// The start overlay's Play together: host a match on the page's relay, or join the one at
// joinText ("ws://HOST:PORT/CODE"). Before vantrel_start.
EMSCRIPTEN_KEEPALIVE void vantrel_play_together(int host, const char* joinText) {
    if (game && !started) game->playTogether(host != 0, joinText);
}

// The start overlay's quality: low, medium, high, or empty for the one that suits the browser.
// Before vantrel_start.
EMSCRIPTEN_KEEPALIVE void vantrel_choose_quality(const char* name) {
    if (game && !started) game->chooseQuality(name ? name : "");
}

// While the page shows an overlay the game stands still; afterwards every key is up.
EMSCRIPTEN_KEEPALIVE void vantrel_freeze(int frozen) {
    if (game) game->setFrozenByPage(frozen != 0);
}

}  // extern "C"

int main(int argc, char** argv) {
    vantrel::Options options;
    if (auto exitCode = vantrel::parseCommandLine(argc, argv, options, BROWSER_KEYS_HELP)) {
        pageFinished(*exitCode, "");
        return *exitCode;
    }
    const std::string dataDir = options.dataDir.empty() ? DEFAULT_DATA_DIR : options.dataDir;
    std::error_code ec;
    if (!std::filesystem::exists(dataDir + "/" + DATA_MARKER, ec)) {
        pageError(("The game's data did not arrive: " + dataDir + "/" + DATA_MARKER +
                   " is missing. Reload the page; if it stays, the page was built without its data pack.")
                      .c_str());
        return vantrel::EXIT_CANCELLED;
    }
    vantrel::RunRequests requests;
    if (auto exitCode = vantrel::prepareRequests(options, requests)) {
        pageError("The game's options name a file that cannot be used (see the console).");
        pageFinished(*exitCode, "");
        return *exitCode;
    }
    game = std::make_unique<BrowserGame>(options, dataDir, std::move(requests));
    if (options.screen != vantrel::ScreenChoice::Dialog) startGame(!options.noSound);
    return 0;
}
