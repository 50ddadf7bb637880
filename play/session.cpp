#include "play/session.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <utility>

#include "game/flow.h"
#include "play/data_check.h"
#include "render/frame.h"
#include "render/interpolation.h"
#include "world/keys.h"
#include "world/random.h"

namespace vantrel {

namespace {

int badArguments(const std::string& message) {
    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
    return EXIT_BAD_ARGUMENTS;
}

std::string hashLine(const World& w) {
    char line[64];
    std::snprintf(line, sizeof line, "world-hash %016" PRIx64, hashWorld(w));
    return line;
}

// The information box: the version and the last second's tick and frame rates.
std::string informationText(const Scheduler& s) {
    char text[128];
    std::snprintf(text, sizeof text, "vantrel version %s\n\nMAIN FPS %d\nDRAW FPS %d", VANTREL_VERSION, s.mainFps,
                  s.drawFps);
    return text;
}

}  // namespace

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

Session::Session(const Options& options, std::string dataDir, RunRequests& requests, SessionHost& host, Sound& sound)
    : options_(options), dataDir_(std::move(dataDir)), requests_(requests), host_(host), sound_(sound),
      world_(std::make_unique<World>()), previous_(std::make_unique<World>()), scene_(std::make_unique<World>()),
      hints_(hintsWanted(options), host, options.demo == 0) {
    scheduler_.fast = options.fast;
    scheduler_.interpolating = !options.classic && !options.fast;
    if (options.demo > 0) demo_.emplace(options.demo);
    if (requests.recordFile.is_open()) recorder_.emplace(requests.seed);
    for (const ScreenshotRequest& s : options.screenshots) screenshots_.push_back({s, false});
    seedRandom(world_->rngState, requests.seed);
    world_->running = 1;
}

void Session::start(std::unique_ptr<render::Device> device) {
    device_ = std::move(device);
    for (int font = 0; font < render::FONT_COUNT; ++font) device_->createFont(font, render::FONT_PIXEL_HEIGHTS[font]);
    loadWorldAssets(*world_, dataDir_);
    device_->loadMeshTable(dataDir_);
    for (int n = 1; n <= MISSION_COUNT; ++n) briefings_.push_back(loadBriefing(dataDir_, n));
    for (const DataProblem& p : checkDataFiles(dataDir_)) {
        std::fprintf(stderr, "vantrel: data file %s: %s\n", p.file.c_str(), p.reason.c_str());
        badDataFiles_.push_back(p.file);
    }
    updateDataProblem();
}

void Session::updateDataProblem() {
    std::vector<std::string> files = badDataFiles_;
    for (const std::string& f : device_->failedDataFiles()) {
        if (std::find(files.begin(), files.end(), f) == files.end()) files.push_back(f);
    }
    hints_.setDataProblem(dataProblemLine(files));
}

void Session::releaseDevice() {
    if (device_) device_->releaseMeshes();
    device_.reset();
}

std::vector<std::string> Session::finish() {
    for (const PendingScreenshot& s : screenshots_) {
        if (!s.done) {
            std::fprintf(stderr, "vantrel: no frame was drawn after tick %d; %s not written\n", s.request.tick,
                         s.request.path.c_str());
        }
    }
    if (recorder_) {
        requests_.recordFile << recorder_->text();
        requests_.recordFile.close();
        if (!requests_.recordFile)
            std::fprintf(stderr, "vantrel: --record %s: write failed\n", options_.recordFile.c_str());
    }
    std::vector<std::string> lines;
    if (demo_) lines.push_back(demo_->outcome(*world_));
    if (options_.printHash) lines.push_back(hashLine(*world_));
    return lines;
}

void Session::runTick() {
    uint8_t snapshot[256];
    const bool wasPaused = hints_.paused();
    if (!takeTickKeys(snapshot)) {
        if (!wasPaused && hints_.paused()) quietEngine();
        return;
    }
    ++ticksRun_;
    if (recorder_) recorder_->record(ticksRun_, snapshot);
    *previous_ = *world_;
    const TickNotes notes = logicTick(*world_, dataDir_, snapshot);
    playSoundEvents(sound_, world_->seats[PLAYER_SEAT].sounds);
    hints_.afterTick(*world_, snapshot);
    updateDataProblem();
    if (!notes.refusal.empty()) std::fprintf(stderr, "vantrel: situation refused: %s\n", notes.refusal.c_str());
    if (notes.informationAsked) host_.showInformation(informationText(scheduler_));
    if (demo_ && demo_->finished(*world_)) world_->running = 0;
    if (options_.quitAfter > 0 && ticksRun_ >= options_.quitAfter) world_->running = 0;
}

std::optional<Session::StillPicture> Session::stillPicture() const {
    const std::optional<uint64_t> key = render::stillFrameKey(*world_);
    if (!key) return std::nullopt;
    const render::PictureLayout next = device_->upcomingLayout();
    return StillPicture{*key, hints_.stillKey(*world_), next.width, next.height};
}

void Session::drawFrame() {
    const std::optional<StillPicture> still = stillPicture();
    if (still && still == shown_) {
        // The picture in the device and on screen is already this frame's.
        saveDueScreenshots();
        return;
    }
    const float fraction = tickFraction(scheduler_, now());
    const render::Hints hints = hints_.view(*world_);
    if (!scheduler_.interpolating || fraction >= 1.0f || hints_.paused()) {
        render::renderFrame(*device_, *world_, briefings_, &hints);
    } else {
        render::blendWorlds(*previous_, *world_, fraction, *scene_);
        render::renderFrame(*device_, *scene_, *world_, briefings_, &hints);
    }
    saveDueScreenshots();
    device_->present();
    shown_ = still;
}

// A key script gives every key; otherwise the player's keys pass the hints (pause, the ESC
// confirmation). The demo flies alone; ESC from the player still abandons it.
bool Session::takeTickKeys(uint8_t snapshot[256]) {
    if (requests_.script) {
        requests_.script->snapshot(ticksRun_ + 1, snapshot);
        return true;
    }
    host_.takePlayerKeys(snapshot);
    if (!hints_.takePlayerKeys(*world_, snapshot)) return false;
    if (demo_) {
        const uint8_t escape = snapshot[VK_ESCAPE];
        demo_->snapshot(*world_, snapshot);
        snapshot[VK_ESCAPE] |= escape;
    }
    return true;
}

// The engine's drone stops while the game is paused; the next tick sets its level again.
void Session::quietEngine() {
    SoundEvents quiet{};
    appendSoundLoop(quiet, LOOP_LEVEL, 0);
    playSoundEvents(sound_, quiet);
}

void Session::saveDueScreenshots() {
    for (PendingScreenshot& s : screenshots_) {
        if (s.done || ticksRun_ < s.request.tick) continue;
        s.done = true;
        const render::PictureLayout& picture = device_->layout();
        host_.saveScreenshot(s.request, device_->readPixels(), picture.width, picture.height);
    }
}

}  // namespace vantrel
