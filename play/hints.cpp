#include "play/hints.h"

#include <algorithm>
#include <functional>

#include "world/keys.h"

namespace vantrel {

namespace {

constexpr int HIT_FLASH_ALPHA = 150;
constexpr int NOTICE_FADE_TICKS = 8;  // the last ticks of a notice fade out

bool held(const uint8_t keys[256], int code) { return (keys[code] & KEY_DOWN_BIT) != 0; }

// The hints are the player's: in a match the World arrives as the player's seat sees it.
const Seat& playerSeat(const World& w) { return w.seats[PLAYER_SEAT]; }

}  // namespace

bool PlayerHints::takePlayerKeys(const World& w, uint8_t keys[256], bool mayPause) {
    const bool pauseDown = mayPause && held(keys, VK_PAUSE), escapeDown = held(keys, VK_ESCAPE);
    const bool pausePressed = pauseDown && !pauseWasDown_, escapePressed = escapeDown && !escapeWasDown_;
    pauseWasDown_ = pauseDown;
    escapeWasDown_ = escapeDown;
    keys[VK_PAUSE] = 0;
    if (!enabled_ || w.gameMode != MODE_MISSION) {
        paused_ = false;
        escapeHeldBack_ = false;
        leaveTicks_ = 0;
        return true;
    }
    if (paused_) {
        // ESC while paused goes back to the mission and asks as a first ESC would.
        if (pausePressed || escapePressed) paused_ = false;
        if (escapePressed) holdBackFirstEscape(keys, true);
        return false;
    }
    if (pausePressed) {
        paused_ = true;
        return false;
    }
    holdBackFirstEscape(keys, escapePressed);
    return true;
}

void PlayerHints::holdBackFirstEscape(uint8_t keys[256], bool escapePressed) {
    if (!confirmLeaving_) return;
    if (escapePressed) {
        escapeHeldBack_ = leaveTicks_ == 0;
        leaveTicks_ = escapeHeldBack_ ? LEAVE_CONFIRM_TICKS : 0;
    }
    if (!held(keys, VK_ESCAPE)) escapeHeldBack_ = false;
    if (escapeHeldBack_) keys[VK_ESCAPE] = 0;
}

void PlayerHints::afterTick(const World& w, const uint8_t keys[256]) {
    if (w.gameMode != MODE_MISSION) {
        inMission_ = false;
        return;
    }
    if (!inMission_) startMission();
    ++missionTicks_;
    leaveTicks_ = std::max(leaveTicks_ - 1, 0);
    noticeTicks_ = std::max(noticeTicks_ - 1, 0);
    flashTicks_ = std::max(flashTicks_ - 1, 0);
    used_ |= rowsHeld(keys);
    if (learnedAt_ < 0 && (used_ & essentialRows()) == essentialRows()) learnedAt_ = missionTicks_;
    readCombat(w);
}

void PlayerHints::startMission() {
    inMission_ = true;
    missionTicks_ = 0;
    learnedAt_ = -1;
    used_ = 0;
    noticeTicks_ = 0;
    flashTicks_ = 0;
}

// The player's own hits and kills of enemies, and hits the player takes. Sides are the ones the
// mission placed, so an aircraft destroyed this tick still has one.
void PlayerHints::readCombat(const World& w) {
    const int player = playerSeat(w).slot;
    if (!isAircraftSlot(player)) return;
    for (int i = 0; i < w.combat.count; ++i) {
        const CombatEvent& e = w.combat.events[i];
        if (e.victim == player && e.kind == COMBAT_HIT) flashTicks_ = HIT_FLASH_TICKS;
        if (e.by != player || !isAircraftSlot(e.victim) || w.placedSide[e.victim] == w.placedSide[player]) continue;
        if (e.kind == COMBAT_DOWNED) {
            notice_ = "ENEMY DOWN";
            noticeTicks_ = KILL_NOTICE_TICKS;
        } else if (isWeaponDamage(e.cause) && !(notice_ == "ENEMY DOWN" && noticeTicks_ > 0)) {
            notice_ = "HIT";
            noticeTicks_ = HIT_NOTICE_TICKS;
        }
    }
}

bool PlayerHints::menuCardHeld(const World& w) const {
    return w.gameMode == MODE_SELECT && isHeld(playerSeat(w).input, VK_F1);
}

// The first seconds' card steps aside for the map, for the end of the mission and once an enemy
// is in front of the guns (the aircraft has a target): the fight needs the screen then.
bool PlayerHints::showsMissionCard(const World& w) const {
    const bool learned = learnedAt_ >= 0 && missionTicks_ - learnedAt_ >= CARD_AFTER_LEARNING_TICKS;
    const Aircraft* own = aircraftInSlot(w, playerSeat(w).slot);
    const bool fighting = own != nullptr && isAircraftSlot(own->target);
    return inMission_ && playerSeat(w).mapShown == 0 && w.flowCounter == 0 && !fighting &&
           missionTicks_ < MISSION_CARD_TICKS && !learned;
}

render::Hints PlayerHints::view(const World& w) {
    render::Hints h;
    h.dataProblem = dataProblem_;
    h.helpers = enabled_;
    if (!enabled_) return h;
    if (w.gameMode == MODE_SELECT) {
        h.cardPrompt =
            firstKeyName(keys_, VK_SPACE, "SPACE") + ": FLY   HOLD " + firstKeyName(keys_, VK_F1, "F1") + ": KEYS";
        if (menuCardHeld(w)) {
            h.card = controlsCardRows(keys_, false, 0);
            h.cardPlace = render::CardPlace::Menu;
        }
        return h;
    }
    if (w.gameMode != MODE_MISSION) return h;
    const std::string escape = firstKeyName(keys_, VK_ESCAPE, "ESCAPE");
    if (paused_) {
        h.banner = "PAUSED";
        h.bannerDetail = firstKeyName(keys_, VK_PAUSE, "P") + ": GO ON    " + escape + ": LEAVE THE MISSION";
        h.card = controlsCardRows(keys_, false, used_);
        h.cardPlace = render::CardPlace::Paused;
    } else if (showsMissionCard(w)) {
        h.card = controlsCardRows(keys_, true, used_, w.matchPlay != 0);
        h.cardPlace = render::CardPlace::Mission;
    }
    if (leaveTicks_ > 0) h.question = "PRESS " + escape + " AGAIN TO LEAVE THE MISSION";
    if (noticeTicks_ > 0) {
        h.notice = notice_;
        h.noticeAlpha = 255 * std::min(noticeTicks_, NOTICE_FADE_TICKS) / NOTICE_FADE_TICKS;
    }
    h.hitFlashAlpha = HIT_FLASH_ALPHA * flashTicks_ / HIT_FLASH_TICKS;
    return h;
}

uint64_t PlayerHints::stillKey(const World& w) const {
    return uint64_t{menuCardHeld(w)} | std::hash<std::string>{}(dataProblem_) << 1;
}

}  // namespace vantrel
