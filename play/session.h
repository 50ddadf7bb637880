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
#include "play/controls_card.h"
#include "play/hints.h"
#include "play/options.h"
#include "render/device.h"
#include "sound/sound.h"
#include "world/world.h"

namespace vantrel {

// What the command line asks of a run beyond playing: scripted keys, a recording, the seed.
struct RunRequests {
    std::optional<KeyScript> script;
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
        int width, height;
        bool operator==(const StillPicture&) const = default;
    };
    std::optional<StillPicture> stillPicture() const;
    // The keys of the next tick; false when none is to run (paused).
    bool takeTickKeys(uint8_t snapshot[256]);
    // The title's line for the data files found wanting at the start and by the device since.
    void updateDataProblem();
    void quietEngine();
    void saveDueScreenshots();

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
    int ticksRun_ = 0;
};

}  // namespace vantrel
