// What the program adds around the game for a newcomer (--hints on, the default): pause, a
// second ESC before a mission is left, notices of the player's own hits and kills and of hits
// taken, and the controls card on the menu and at the start of a mission. It stands between the
// player's keys and the logic tick and reads the World after each tick. The World never learns of
// it: a paused tick does not run, and an ESC held back never reaches the game, so a recording
// holds the game's keys alone and replays exactly.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "play/controls_card.h"
#include "render/hints.h"
#include "world/world.h"

namespace vantrel {

// All in logic ticks.
constexpr int LEAVE_CONFIRM_TICKS = 100;       // a second ESC within this leaves the mission
constexpr int HIT_NOTICE_TICKS = 20;           // "HIT"
constexpr int KILL_NOTICE_TICKS = 60;          // "ENEMY DOWN"
constexpr int HIT_FLASH_TICKS = 12;            // the red edge after a hit taken
constexpr int MISSION_CARD_TICKS = 667;        // the card at a mission's start shows at most 20 s
constexpr int CARD_AFTER_LEARNING_TICKS = 33;  // and 1 s more once every essential key is used

class PlayerHints {
public:
    // enabled: the helpers are on. keys names the player's keys for the card and the lines.
    // confirmLeaving: a mission's first ESC is held back (not while the demo flies: nothing of
    // the player's is lost then).
    PlayerHints(bool enabled, KeyDescriber& keys, bool confirmLeaving = true)
        : enabled_(enabled), confirmLeaving_(confirmLeaving), keys_(keys) {}

    bool enabled() const { return enabled_; }
    bool paused() const { return paused_; }

    // The player's keys for the next logic tick, w the World before it. The pause key never
    // reaches the game, nor a mission's first ESC. False when no tick is to run: the game is
    // paused, or the key that pauses or resumes it was pressed. Without mayPause (a network
    // game, which runs on for the others) the pause key does nothing.
    bool takePlayerKeys(const World& w, uint8_t keys[256], bool mayPause = true);

    // Reads what the tick just run did; keys are the ones it ran with.
    void afterTick(const World& w, const uint8_t keys[256]);

    // One line naming a data file that is missing or damaged, shown on the title screen whether
    // the helpers are on or not.
    void setDataProblem(std::string line) { dataProblem_ = std::move(line); }

    // What a frame of w draws.
    render::Hints view(const World& w);

    // Changes whenever what a still screen (title, menu) shows of the hints changes.
    uint64_t stillKey(const World& w) const;

private:
    void startMission();
    void readCombat(const World& w);
    bool showsMissionCard(const World& w) const;
    bool menuCardHeld(const World& w) const;
    void holdBackFirstEscape(uint8_t keys[256], bool escapePressed);

    const bool enabled_;
    const bool confirmLeaving_;
    KeyDescriber& keys_;
    std::string dataProblem_;

    bool paused_ = false;
    bool pauseWasDown_ = false;
    bool escapeWasDown_ = false;
    bool escapeHeldBack_ = false;  // the ESC now held is the first one, kept from the game
    int leaveTicks_ = 0;           // while above 0 a second ESC leaves

    bool inMission_ = false;
    int missionTicks_ = 0;
    int learnedAt_ = -1;  // mission tick when the last essential key was first used
    CardRowSet used_ = 0;
    std::string notice_;
    int noticeTicks_ = 0;
    int flashTicks_ = 0;
};

}  // namespace vantrel
