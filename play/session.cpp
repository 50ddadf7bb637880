#include "play/session.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <utility>

#include "game/flow.h"
#include "game/match.h"
#include "net/data_files.h"
#include "net/notices.h"
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

constexpr uint8_t VK_BACK = 8;
constexpr uint8_t VK_H = 'H', VK_J = 'J';
constexpr std::size_t MAX_TYPED = 64;
constexpr const char* MENU_NETWORK_LINE = "H: HOST A NETWORK GAME   J: JOIN ONE";
constexpr uint32_t FAREWELL_SHOWN_MS = 8000;

// The keys that went down since the previous snapshot.
void keysPressed(const uint8_t now[256], const uint8_t before[256], uint8_t out[256]) {
    for (int k = 0; k < 256; ++k)
        out[k] = (now[k] & KEY_DOWN_BIT) != 0 && (before[k] & KEY_DOWN_BIT) == 0 ? KEY_DOWN_BIT : 0;
}

bool isDown(const uint8_t keys[256], int vk) { return (keys[vk] & KEY_DOWN_BIT) != 0; }

std::string loginName() {
    for (const char* variable : {"USER", "LOGNAME"}) {
        if (const char* name = std::getenv(variable); name != nullptr && name[0] != '\0') return name;
    }
    return "PLAYER";
}

// A network match's recording, which --input replays, rather than a key script.
bool isMatchRecording(const std::string& path) {
    std::ifstream file(path);
    std::string first;
    return std::getline(file, first) && first == net::RECORDING_FIRST_LINE;
}

}  // namespace

std::optional<int> prepareRequests(const Options& o, RunRequests& r) {
    std::string error;
    if (isMatchRecording(o.inputFile)) {
        r.match.emplace();
        std::ifstream file(o.inputFile, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (!net::parseRecordingText(text.str(), *r.match, error)) {
            return badArguments("--input " + o.inputFile + ": " + error);
        }
    } else if (!o.inputFile.empty()) {
        r.script.emplace();
        if (!r.script->load(o.inputFile, error)) return badArguments("--input " + o.inputFile + ": " + error);
    }
    if (r.match) {
        r.seed = r.match->start().seed;
    } else if (o.seed) {
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
      hints_(hintsWanted(options), host, options.demo == 0), latestView_(std::make_unique<World>()),
      previousView_(std::make_unique<World>()) {
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
    device_->setQuality(chosenRenderQuality(options_));
    for (int font = 0; font < render::FONT_COUNT; ++font) device_->createFont(font, render::FONT_PIXEL_HEIGHTS[font]);
    loadWorldAssets(*world_, dataDir_);
    device_->loadMeshTable(dataDir_);
    for (int n = 1; n <= MISSION_COUNT; ++n) briefings_.push_back(loadBriefing(dataDir_, n));
    for (const DataProblem& p : checkDataFiles(dataDir_)) {
        std::fprintf(stderr, "vantrel: data file %s: %s\n", p.file.c_str(), p.reason.c_str());
        badDataFiles_.push_back(p.file);
    }
    updateDataProblem();
    if (options_.host || !options_.join.empty()) {
        openNetworkGame({options_.join, options_.host, options_.startWith, options_.mission});
    }
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
    if (net_ && net_->client().recording()) lastRecording_ = net_->client().recording();
    if (recorder_ && lastRecording_) {
        requests_.recordFile << net::recordingText(*lastRecording_);
        requests_.recordFile.close();
    } else if (recorder_) {
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
    if (requests_.match) {
        runReplayTick();
        return;
    }
    uint8_t snapshot[256], pressed[256];
    const bool wasPaused = hints_.paused();
    if (!takeTickKeys(snapshot)) {
        if (!wasPaused && hints_.paused()) quietEngine();
        return;
    }
    keysPressed(snapshot, lastKeys_, pressed);
    std::memcpy(lastKeys_, snapshot, sizeof lastKeys_);
    if (net_) {
        runNetworkTick(snapshot, pressed);
        return;
    }
    if (menuTakesKeys(snapshot, pressed)) std::memset(snapshot, 0, sizeof snapshot);
    ++ticksRun_;
    if (recorder_) recorder_->record(ticksRun_, snapshot);
    *previous_ = *world_;
    const TickNotes notes = logicTick(*world_, dataDir_, snapshot);
    playSoundEvents(sound_, world_->seats[PLAYER_SEAT].sounds);
    hints_.afterTick(*world_, snapshot);
    updateDataProblem();
    if (!notes.refusal.empty()) std::fprintf(stderr, "vantrel: situation refused: %s\n", notes.refusal.c_str());
    if (notes.informationAsked) host_.showInformation(informationText(scheduler_));
    if (!farewell_.empty() && now() - farewellSince_ >= FAREWELL_SHOWN_MS) farewell_.clear();
    if (demo_ && demo_->finished(*world_)) world_->running = 0;
    if (options_.quitAfter > 0 && ticksRun_ >= options_.quitAfter) world_->running = 0;
}

// A recorded network match, tick after tick as everyone ran it, seen from the first seat.
void Session::runReplayTick() {
    if (replayTicks_.empty() && ticksRun_ == 0) {
        std::string error;
        if (!startMatch(*world_, dataDir_, net::matchSetupOf(requests_.match->start()), error)) {
            std::fprintf(stderr, "vantrel: the recorded match cannot start: %s\n", error.c_str());
            world_->running = 0;
            return;
        }
        requests_.match->forEachTick([this](const net::Tick& t) { replayTicks_.push_back(t); });
    }
    if (static_cast<std::size_t>(ticksRun_) >= replayTicks_.size() || matchEnded(*world_)) {
        world_->running = 0;
        return;
    }
    *previous_ = *world_;
    net::runLockstepTick(*world_, replayTicks_[ticksRun_++]);
    SoundEvents heard = world_->seats[PLAYER_SEAT].sounds;
    playSoundEvents(sound_, heard);
    if (options_.quitAfter > 0 && ticksRun_ >= options_.quitAfter) world_->running = 0;
}

bool Session::menuTakesKeys(const uint8_t keys[256], const uint8_t pressed[256]) {
    const bool live = !requests_.script && !demo_;
    if (!live || world_->gameMode != MODE_SELECT) {
        joinTyped_.reset();
        return false;
    }
    if (!joinTyped_) {
        if (isDown(pressed, VK_H)) openNetworkGame({"", true, 0, 0});
        if (isDown(pressed, VK_J)) joinTyped_.emplace();
        return joinTyped_.has_value() || net_ != nullptr;
    }
    if (isDown(pressed, VK_BACK) && !joinTyped_->empty()) joinTyped_->pop_back();
    if (isDown(pressed, VK_ESCAPE)) joinTyped_.reset();
    if (isDown(pressed, VK_RETURN)) {
        const std::string address = *joinTyped_;
        joinTyped_.reset();
        openNetworkGame({address, false, 0, 0});
    }
    (void)keys;
    return true;
}

void Session::typeText(const std::string& utf8) {
    if (!joinTyped_) return;
    for (char c : utf8) {
        if (c > ' ' && c < 127 && joinTyped_->size() < MAX_TYPED) joinTyped_->push_back(c);
    }
}

void Session::openNetworkGame(NetworkRequest request) {
    std::string error;
    net::JoinAddress address;
    if (request.hosting) {
        const std::optional<SessionHost::HostingPlace> place = host_.hostingPlace(error);
        if (place) {
            address = place->connect;
            request.joinText = place->shownHost;
        }
    } else if (net::parseJoinAddress(request.joinText, address, error)) {
        request.joinText = address.text();
    }
    net::ClientSettings settings;
    settings.dataDir = dataDir_;
    settings.hello.gameVersion = VANTREL_VERSION;
    settings.hello.name = options_.name.empty() ? loginName() : options_.name;
    settings.hello.host = request.hosting;
    std::unique_ptr<net::MessageLink> link;
    if (error.empty() && net::hashDataDirectory(dataDir_, settings.hello.dataFiles, error)) {
        link = host_.connectToRelay(address, error);
    }
    if (!link) {
        endNetworkGame(error);
        return;
    }
    net_ = std::make_unique<NetworkPlay>(std::move(link), address, std::move(settings), std::move(request), now());
    hostLinePrinted_ = false;
    farewell_.clear();
}

void Session::runNetworkTick(const uint8_t keys[256], const uint8_t pressed[256]) {
    NetworkPlay& n = *net_;
    n.update(now());
    if (n.client().isHost() && !n.client().code().empty() && !hostLinePrinted_) {
        std::printf("vantrel: hosting; others join with: vantrel --join %s\n", n.joinText().c_str());
        std::fflush(stdout);
        hostLinePrinted_ = true;
    }
    switch (n.phase()) {
        case net::ClientPhase::Connecting:
        case net::ClientPhase::Lobby:
            if (n.lobbyKeys(pressed)) endNetworkGame("");
            break;
        case net::ClientPhase::Mission:
            if (isDown(pressed, VK_ESCAPE)) {
                n.client().leave();
                endNetworkGame("");
            } else {
                runReadyMatchTicks(keys);
            }
            break;
        case net::ClientPhase::Closed:
            if (isDown(pressed, VK_ESCAPE) || !rejoinNetworkGame()) endNetworkGame(n.closeReason());
            break;
    }
}

// A lost connection is tried again a few times, with the relay's token for the seat; the World
// comes back from the relay.
bool Session::rejoinNetworkGame() {
    if (!net_->triesLeft()) return false;
    if (!net_->mayRejoin(now())) return true;  // waiting for the next try
    std::string error;
    std::unique_ptr<net::MessageLink> link = host_.connectToRelay(net_->rejoinAddress(), error);
    if (!link) return false;
    net_->rejoin(std::move(link), now());
    return true;
}

// Every tick whose keys the relay has sent runs now, so a client that fell behind catches up.
// Each runs on the keys for the match tick it sends them for (a key script's by that tick).
void Session::runReadyMatchTicks(const uint8_t keys[256]) {
    NetworkPlay& n = *net_;
    while (n.client().ticksReady() > 0 && world_->running != 0) {
        uint8_t tickKeys[256];
        matchTickKeys(keys, ticksRun_ + 1, tickKeys);
        *previous_ = *world_;
        if (!n.client().runNextTick(*world_, tickKeys)) break;
        ticksRun_ = world_->tickCount;  // the mission's ticks, the same on every screen
        hearMatchTick(*world_, n.client().lastTick());
        if (n.seat() >= 0) hints_.afterTick(seatView(*world_, *latestView_), tickKeys);
        if (options_.quitAfter > 0 && ticksRun_ >= options_.quitAfter) world_->running = 0;
    }
    runAheadOfTheRelay(keys);
}

// While the relay's next tick is late the screen runs on a guess, on the keys the player's
// next tick would send; its sounds are heard then.
void Session::runAheadOfTheRelay(const uint8_t keys[256]) {
    NetworkPlay& n = *net_;
    const World& shown = n.ahead().active() ? n.ahead().world() : *world_;
    uint8_t guessKeys[256];
    matchTickKeys(keys, shown.tickCount + 1, guessKeys);
    n.ahead().update(n.client(), *world_, guessKeys, now(),
                     [this](const World& after, uint32_t tick) { hearMatchTick(after, tick); });
}

// The player's keys, or a key script's for the mission's tick.
void Session::matchTickKeys(const uint8_t keys[256], int tick, uint8_t out[256]) const {
    if (requests_.script) {
        requests_.script->snapshot(tick, out);
    } else {
        std::memcpy(out, keys, 256);
    }
}

// A match tick's sounds for this player's seat, once a tick: from its guess or the relay's.
void Session::hearMatchTick(const World& after, uint32_t tick) {
    if (net_->seat() < 0 || !net_->firstHearing(tick)) return;
    // A copy: the match clears its tables itself, and the World must stay the relay's.
    SoundEvents heard = after.seats[net_->seat()].sounds;
    playSoundEvents(sound_, heard);
}

// Back to the title of a game for one, saying why when the network game did not end by the
// player's choice.
void Session::endNetworkGame(std::string reason) {
    if (net_ && net_->client().recording()) lastRecording_ = net_->client().recording();
    net_.reset();
    joinTyped_.reset();
    shown_.reset();
    if (world_->matchPlay != 0) startOverOnTheTitle();
    if (reason.empty()) return;
    farewell_ = "NETWORK GAME OVER: " + reason;
    farewellSince_ = now();
    std::fprintf(stderr, "vantrel: the network game ended: %s\n", reason.c_str());
}

// A match's World gives way to a game for one's, at its title.
void Session::startOverOnTheTitle() {
    const uint32_t seed = world_->rngState;
    std::memset(world_.get(), 0, sizeof(World));
    seedRandom(world_->rngState, seed);
    world_->running = 1;
    loadWorldAssets(*world_, dataDir_);
    *previous_ = *world_;
}

std::optional<Session::StillPicture> Session::stillPicture() const {
    if (net_) return std::nullopt;  // the lobby and the news change with the relay, not the World
    const std::optional<uint64_t> key = render::stillFrameKey(*world_);
    if (!key) return std::nullopt;
    const render::PictureLayout next = device_->upcomingLayout();
    const std::string& extra = joinTyped_ ? *joinTyped_ : farewell_;
    return StillPicture{*key, hints_.stillKey(*world_), std::hash<std::string>{}(extra) ^ joinTyped_.has_value(),
                        next.width, next.height};
}

render::FrameExtras Session::frameExtras() {
    render::FrameExtras extras;
    if (!farewell_.empty()) extras.notices.push_back(farewell_);
    if (!net_) {
        if (joinTyped_) {
            extras.menuLine = "JOIN HOST:PORT/CODE: " + *joinTyped_ + "_";
        } else if (!farewell_.empty()) {
            extras.menuLine = farewell_;
        } else if (hints_.enabled()) {
            extras.menuLine = MENU_NETWORK_LINE;
        }
        return extras;
    }
    // Outside a mission, and while this player has no aircraft in it, the lobby shows.
    if (net_->phase() != net::ClientPhase::Mission || !isAircraftSlot(net_->client().slot())) {
        lobby_ = net_->lobbyScreen();
        extras.lobby = &lobby_;
    }
    extras.notices = net_->noticeLines(now());
    return extras;
}

const World& Session::seatView(const World& w, World& view) const {
    if (!net_ || net_->seat() <= PLAYER_SEAT) return w;
    viewFromSeat(w, net_->seat(), view);
    return view;
}

void Session::drawFrame() {
    const std::optional<StillPicture> still = stillPicture();
    // The screen already shows this frame. A screenshot draws it again: a picture drawn on the
    // window need not outlast the swap that showed it.
    if (still && still == shown_ && !screenshotDue()) return;
    render::FrameExtras extras = frameExtras();
    // A network game draws the World as the player's own seat sees it.
    const bool guessing = net_ && net_->ahead().active();
    const World& latest = seatView(guessing ? net_->ahead().world() : *world_, *latestView_);
    const World& before = seatView(guessing ? net_->ahead().previous() : *previous_, *previousView_);
    const render::Hints hints = hints_.view(latest);
    extras.hints = &hints;
    const float fraction = tickFraction(scheduler_, now());
    if (!scheduler_.interpolating || fraction >= 1.0f || hints_.paused()) {
        render::renderFrame(*device_, latest, briefings_, extras);
    } else {
        render::blendWorlds(before, latest, fraction, *scene_);
        render::renderFrame(*device_, *scene_, latest, briefings_, extras);
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
    // A network game runs on for the others: it cannot pause.
    if (!hints_.takePlayerKeys(*world_, snapshot, net_ == nullptr)) return false;
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

bool Session::screenshotDue() const {
    return std::any_of(screenshots_.begin(), screenshots_.end(),
                       [this](const PendingScreenshot& s) { return !s.done && ticksRun_ >= s.request.tick; });
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
