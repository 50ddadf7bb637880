// One run of the game on any platform: each tick's keys (the player's, a key script's or the
// demo pilot's), the recording, the logic tick and its sounds, the information box, the end
// after --quit-after or the demo, frames between ticks, screenshots, and the lines a run prints
// at its end. The platform (app/ for SDL, web/ for the browser) gives it the clock, the player's
// keys, the graphics device, the sound library and the boxes, and drives it through
// game/scheduler.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/briefing.h"
#include "game/demo.h"
#include "game/keyscript.h"
#include "game/scheduler.h"
#include "net/join_code.h"
#include "net/link.h"
#include "net/lockstep.h"
#include "play/controls_card.h"
#include "play/hints.h"
#include "play/network_play.h"
#include "play/options.h"
#include "render/device.h"
#include "render/frame.h"
#include "sound/sound.h"
#include "world/world.h"

namespace vantrel {

// What the command line asks of a run beyond playing: scripted keys, a recording, the seed.
struct RunRequests {
    std::optional<KeyScript> script;
    std::optional<net::MatchRecording> match;  // --input naming a network match's recording
    std::ofstream recordFile;
    uint32_t seed = 0;
};

// Reads what the options name before anything opens, so a bad file ends the program at once:
// the exit code, after a one-line message on standard error.
std::optional<int> prepareRequests(const Options& o, RunRequests& r);

// What a session asks of the platform it runs on, the names of the player's keys among it.
class SessionHost : public KeyDescriber {
public:
    // Milliseconds of a clock that wraps at 2^32.
    virtual uint32_t now() = 0;
    // The keys the player holds for the next tick, as a 256-byte snapshot.
    virtual void takePlayerKeys(uint8_t out[256]) = 0;
    // Shows the information box's text; key releases it takes are the platform's to make good.
    virtual void showInformation(const std::string& text) = 0;
    // A --screenshot is due: the picture, width x height 0xAARRGGBB words, top row first.
    virtual void saveScreenshot(const ScreenshotRequest& request, const std::vector<uint32_t>& argb, int width,
                                int height) = 0;

    // Network play: a link to the relay at address, connecting; null with the reason when none
    // can be made.
    virtual std::unique_ptr<net::MessageLink> connectToRelay(const net::JoinAddress& address, std::string& error) = 0;
    // Where this program's player hosts a match: a relay the program starts (the desktop), or
    // the one that served the page (the browser). Nothing, with the reason, when it cannot.
    struct HostingPlace {
        net::JoinAddress connect;  // how this program reaches it
        std::string shownHost;     // how the others reach it: "HOST:PORT"
    };
    virtual std::optional<HostingPlace> hostingPlace(std::string& error) = 0;
};

class Session final : public SchedulerClient {
public:
    Session(const Options& options, std::string dataDir, RunRequests& requests, SessionHost& host, Sound& sound);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Takes the device and loads what the game draws and flies with: fonts, the World's
    // tables, meshes and the missions' briefings.
    void start(std::unique_ptr<render::Device> device);
    render::Device* device() { return device_.get(); }
    Scheduler& scheduler() { return scheduler_; }
    const World& world() const { return *world_; }

    bool running() const { return world_->running != 0; }
    // The player closed the game.
    void stop() { world_->running = 0; }
    // What was on screen may be lost (an exposed window): the next frame is drawn in full.
    void pictureLost() { shown_.reset(); }
    // A network game is open (connecting, in the lobby or flying): it goes on for the others
    // whatever this program's player does.
    bool inNetworkGame() const { return net_ != nullptr; }
    // The open network game's join code; empty before the relay gave one, or without a game.
    std::string matchCode() const { return net_ ? net_->client().code() : std::string(); }
    // Reads what the relay sent and answers its pings now, between frames: a browser calls this
    // as messages arrive, so its round trip (and so the match's input delay) does not wait for
    // the next animation frame.
    void serviceNetwork() {
        if (net_) net_->update(now());
    }
    // The player looked away (a hidden tab, a page without the focus) or is back: the computer
    // flies their aircraft meanwhile.
    void setAway(bool away) {
        if (net_) net_->client().setAway(away);
    }
    // The player is typing an address to join: the platform sends what they type.
    bool wantsText() const { return joinTyped_.has_value(); }
    void typeText(const std::string& utf8);
    // Releases the device's meshes and the device.
    void releaseDevice();
    // Writes the recording and returns the lines the run ends with (the demo's outcome, the
    // World hash); a screenshot that was never drawn is reported on standard error.
    std::vector<std::string> finish();

    uint32_t now() override { return host_.now(); }
    void runTick() override;
    void drawFrame() override;
    // Title and menu change only with a tick.
    bool sceneMovesBetweenTicks() override { return world_->gameMode == MODE_MISSION; }

private:
    struct PendingScreenshot {
        ScreenshotRequest request;
        bool done;
    };
    // A still screen's frame: what it shows and at which picture size.
    struct StillPicture {
        uint64_t key, hintsKey;
        uint64_t extras;  // what the program adds: the address being typed, the last game's end
        int width, height;
        bool operator==(const StillPicture&) const = default;
    };
    std::optional<StillPicture> stillPicture() const;
    // The keys of the next tick; false when none is to run (paused).
    bool takeTickKeys(uint8_t snapshot[256]);
    bool screenshotDue() const;
    // The title's line for the data files found wanting at the start and by the device since.
    void updateDataProblem();
    void quietEngine();
    // w as this player's seat in a network game sees it (made in view), else w itself.
    const World& seatView(const World& w, World& view) const;
    void saveDueScreenshots();
    render::FrameExtras frameExtras();

    // What a live player's keys ask of the program rather than the World on the menu: H hosts,
    // J opens the address to join, which then takes the keys until ENTER or ESC. True when it
    // took these keys.
    bool menuTakesKeys(const uint8_t keys[256], const uint8_t pressed[256]);
    void openNetworkGame(NetworkRequest request);
    void runNetworkTick(const uint8_t keys[256], const uint8_t pressed[256]);
    void runReadyMatchTicks(const uint8_t keys[256]);
    void runAheadOfTheRelay(const uint8_t keys[256]);
    void matchTickKeys(const uint8_t keys[256], int tick, uint8_t out[256]) const;
    void hearMatchTick(const World& after, uint32_t tick);
    bool rejoinNetworkGame();
    void endNetworkGame(std::string reason);
    void startOverOnTheTitle();
    void runReplayTick();

    const Options& options_;
    const std::string dataDir_;
    RunRequests& requests_;
    SessionHost& host_;
    Sound& sound_;
    std::unique_ptr<World> world_;
    std::unique_ptr<World> previous_;  // the World before the latest tick
    std::unique_ptr<World> scene_;     // what a frame between two ticks draws
    std::unique_ptr<render::Device> device_;
    std::vector<MissionBriefing> briefings_;  // mission k at k - 1, for the menu
    std::optional<DemoPilot> demo_;
    Scheduler scheduler_;
    std::optional<KeyScriptRecorder> recorder_;
    std::vector<PendingScreenshot> screenshots_;
    std::optional<StillPicture> shown_;  // the last frame drawn, when of a still screen
    PlayerHints hints_;
    std::vector<std::string> badDataFiles_;  // found at the start
    int ticksRun_ = 0;                       // logic ticks; in a network game, the match's ticks run here
    uint8_t lastKeys_[256] = {};             // the previous pass's keys, for what the program reads
    std::unique_ptr<NetworkPlay> net_;
    std::optional<std::string> joinTyped_;  // the address being typed on the menu
    std::string farewell_;                  // why the last network game ended, shown for a while
    uint32_t farewellSince_ = 0;
    bool hostLinePrinted_ = false;
    std::shared_ptr<const net::MatchRecording> lastRecording_;  // the last network mission flown
    std::unique_ptr<World> latestView_, previousView_;          // the Worlds as a seat sees them
    render::LobbyScreen lobby_;
    std::vector<net::Tick> replayTicks_;  // a match recording's ticks, replayed from the first seat
};

}  // namespace vantrel
