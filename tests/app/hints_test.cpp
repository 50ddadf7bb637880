// The program's hints for a newcomer: which events become notices, how the controls card comes
// and goes, and what turning the hints off leaves.
#include "play/hints.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "play/controls_card.h"
#include "world/keys.h"

namespace vantrel {
namespace {

class StandInKeys final : public KeyDescriber {
public:
    std::map<uint8_t, std::vector<std::string>> names = {{VK_NUMPAD8, {"Keypad 8", "Up"}},
                                                         {VK_NUMPAD5, {"Keypad 5", "Down"}},
                                                         {VK_Z, {"Z"}},
                                                         {VK_ESCAPE, {"Escape"}},
                                                         {VK_PAUSE, {"P", "Pause"}},
                                                         {VK_F1, {"F1"}},
                                                         {VK_SPACE, {"Space"}}};
    bool pad = false;
    std::vector<std::string> keyNames(uint8_t code) override { return names[code]; }
    bool gamepadConnected() override { return pad; }
};

// A mission with the player in slot 0 (side 1), a friend in slot 1 and enemies in slots 2 and 3.
std::unique_ptr<World> missionWorld() {
    auto w = std::make_unique<World>();
    w->gameMode = MODE_MISSION;
    w->seats[PLAYER_SEAT].slot = 0;
    const int8_t sides[] = {1, 1, 2, 2};
    for (int slot = 0; slot < 4; ++slot) w->aircraft[slot].side = w->placedSide[slot] = sides[slot];
    for (Aircraft& a : w->aircraft) a.target = -1;
    return w;
}

// One tick of the hints with the given combat events and keys.
void tick(PlayerHints& hints, World& w, std::initializer_list<CombatEvent> events,
          std::initializer_list<int> keys = {}) {
    clearCombatEvents(w.combat);
    for (const CombatEvent& e : events) appendCombatEvent(w.combat, e);
    uint8_t snapshot[256] = {};
    for (int k : keys) snapshot[k] = KEY_DOWN_BIT;
    hints.afterTick(w, snapshot);
}

TEST(PlayerHints, NoticesComeFromThePlayersOwnHitsAndKillsAndAFlashFromHitsTaken) {
    StandInKeys keys;
    PlayerHints hints(true, keys);
    auto w = missionWorld();
    tick(hints, *w, {{COMBAT_HIT, 2, 1, DAMAGE_GUN}, {COMBAT_DOWNED, 3, 1, DAMAGE_MISSILE}});
    EXPECT_EQ(hints.view(*w).notice, "") << "a friend's hit and kill are not the player's";
    tick(hints, *w, {{COMBAT_HIT, 1, 0, DAMAGE_COLLISION}, {COMBAT_HIT, 2, 0, DAMAGE_COLLISION}});
    EXPECT_EQ(hints.view(*w).notice, "") << "touching another aircraft is no hit of the player's";
    EXPECT_EQ(hints.view(*w).hitFlashAlpha, 0);

    tick(hints, *w, {{COMBAT_HIT, 2, 0, DAMAGE_GUN}});
    render::Hints v = hints.view(*w);
    EXPECT_EQ(v.notice, "HIT");
    EXPECT_EQ(v.noticeAlpha, 255);
    for (int t = 1; t < HIT_NOTICE_TICKS; ++t) tick(hints, *w, {});
    v = hints.view(*w);
    EXPECT_EQ(v.notice, "HIT");
    EXPECT_GT(v.noticeAlpha, 0);
    EXPECT_LT(v.noticeAlpha, 255) << "fading";
    tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).notice, "");

    w->aircraft[3].side = 0;  // the loss arrives after the aircraft is gone
    tick(hints, *w, {{COMBAT_DOWNED, 3, 0, DAMAGE_STALL}, {COMBAT_HIT, 2, 0, DAMAGE_GUN}});
    EXPECT_EQ(hints.view(*w).notice, "ENEMY DOWN") << "a wreck the player's hits brought down, over a hit";
    tick(hints, *w, {{COMBAT_HIT, 2, 0, DAMAGE_ROCKET}});
    EXPECT_EQ(hints.view(*w).notice, "ENEMY DOWN") << "a hit does not cut a kill short";

    tick(hints, *w, {{COMBAT_HIT, 0, 2, DAMAGE_GUN}});
    EXPECT_GT(hints.view(*w).hitFlashAlpha, 0) << "the player was hit";
    for (int t = 0; t < HIT_FLASH_TICKS; ++t) tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).hitFlashAlpha, 0);
}

TEST(PlayerHints, TheMissionCardDimsWhatIsUsedAndLeavesOnceTheFlyingKeysAreKnown) {
    StandInKeys keys;
    PlayerHints hints(true, keys);
    auto w = missionWorld();
    tick(hints, *w, {});
    render::Hints v = hints.view(*w);
    ASSERT_EQ(v.cardPlace, render::CardPlace::Mission);
    ASSERT_FALSE(v.card.empty());
    EXPECT_EQ(v.card[0].keys, "Keypad 8/5, Up/Down");
    EXPECT_EQ(v.card[0].action, "NOSE DOWN / UP");
    EXPECT_TRUE(v.card[0].pad.empty()) << "no pad plugged in";

    tick(hints, *w, {}, {VK_NUMPAD5});
    v = hints.view(*w);
    EXPECT_TRUE(v.card[0].used) << "either key of the pair counts";
    EXPECT_FALSE(v.card[1].used);

    w->seats[PLAYER_SEAT].mapShown = 1;
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Hidden) << "the map has the middle of the screen";
    w->seats[PLAYER_SEAT].mapShown = 0;
    w->aircraft[0].target = 2;
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Hidden) << "an enemy in front of the guns: the fight";
    w->aircraft[0].target = -1;

    tick(hints, *w, {}, {VK_NUMPAD4, VK_Q, VK_Z});  // every flying key that keeps the card
    for (int t = 1; t < CARD_AFTER_LEARNING_TICKS; ++t) tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Mission) << "a moment to read it still";
    tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Hidden);

    w->gameMode = MODE_TITLE;
    tick(hints, *w, {});
    w->gameMode = MODE_MISSION;
    tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Mission) << "a new mission shows it again";
    for (int t = 0; t < MISSION_CARD_TICKS; ++t) tick(hints, *w, {});
    EXPECT_EQ(hints.view(*w).cardPlace, render::CardPlace::Hidden) << "and never for more than its time";

    keys.pad = true;
    w->gameMode = MODE_SELECT;
    w->seats[PLAYER_SEAT].input.keys[VK_F1] = KEY_DOWN_BIT;
    v = hints.view(*w);
    EXPECT_EQ(v.cardPlace, render::CardPlace::Menu) << "held F1 on the menu";
    EXPECT_EQ(v.card.size(), static_cast<size_t>(CARD_ACTION_COUNT));
    EXPECT_EQ(v.card[4].pad, "A") << "with a pad plugged in, its controls too";
    EXPECT_EQ(v.cardPrompt, "SPACE: FLY   HOLD F1: KEYS");
}

TEST(PlayerHints, PauseAndTheLeaveQuestionAreSaidWithThePlayersKeys) {
    StandInKeys keys;
    PlayerHints hints(true, keys);
    auto w = missionWorld();
    uint8_t snapshot[256] = {};
    snapshot[VK_ESCAPE] = KEY_DOWN_BIT;
    EXPECT_TRUE(hints.takePlayerKeys(*w, snapshot));
    EXPECT_EQ(snapshot[VK_ESCAPE], 0) << "the first ESC is held back";
    EXPECT_EQ(hints.view(*w).question, "PRESS ESCAPE AGAIN TO LEAVE THE MISSION");
    snapshot[VK_ESCAPE] = 0;
    snapshot[VK_PAUSE] = KEY_DOWN_BIT;
    EXPECT_FALSE(hints.takePlayerKeys(*w, snapshot));
    EXPECT_EQ(snapshot[VK_PAUSE], 0) << "the pause key never reaches the game";
    const render::Hints v = hints.view(*w);
    EXPECT_EQ(v.banner, "PAUSED");
    EXPECT_EQ(v.bannerDetail, "P: GO ON    ESCAPE: LEAVE THE MISSION");
    EXPECT_EQ(v.cardPlace, render::CardPlace::Paused);
    EXPECT_EQ(v.card.size(), static_cast<size_t>(CARD_ACTION_COUNT));
}

TEST(PlayerHints, ANetworkGameRunsOnThroughThePauseKeyLeftOffItsCardButStillAsksBeforeLeaving) {
    StandInKeys keys;
    PlayerHints hints(true, keys);
    auto w = missionWorld();
    uint8_t snapshot[256] = {};
    snapshot[VK_PAUSE] = KEY_DOWN_BIT;
    EXPECT_TRUE(hints.takePlayerKeys(*w, snapshot, false)) << "the others' game goes on";
    EXPECT_FALSE(hints.paused());
    EXPECT_EQ(snapshot[VK_PAUSE], 0);
    snapshot[VK_ESCAPE] = KEY_DOWN_BIT;
    EXPECT_TRUE(hints.takePlayerKeys(*w, snapshot, false));
    EXPECT_EQ(snapshot[VK_ESCAPE], 0) << "the first ESC is held back";
    EXPECT_EQ(hints.view(*w).banner, "");

    w->matchPlay = 1;
    tick(hints, *w, {});
    const render::Hints v = hints.view(*w);
    ASSERT_EQ(v.cardPlace, render::CardPlace::Mission);
    EXPECT_EQ(v.card[1].action, "ROLL LEFT / RIGHT");
    for (const render::ControlsCardRow& row : v.card)
        EXPECT_NE(row.action, "PAUSE") << "a key without use is not offered";
}

TEST(PlayerHints, WithTheHintsOffKeysPassAsTheyAreAndOnlyADataProblemShows) {
    StandInKeys keys;
    PlayerHints hints(false, keys);
    auto w = missionWorld();
    hints.setDataProblem("DATA: sky.bmp is damaged");
    uint8_t snapshot[256] = {};
    snapshot[VK_ESCAPE] = KEY_DOWN_BIT;
    snapshot[VK_PAUSE] = KEY_DOWN_BIT;
    EXPECT_TRUE(hints.takePlayerKeys(*w, snapshot)) << "no pause";
    EXPECT_EQ(snapshot[VK_ESCAPE], KEY_DOWN_BIT) << "ESC leaves at once";
    EXPECT_EQ(snapshot[VK_PAUSE], 0) << "the pause key is the program's, on or off";
    tick(hints, *w, {{COMBAT_HIT, 2, 0, DAMAGE_GUN}});
    const render::Hints v = hints.view(*w);
    EXPECT_FALSE(v.helpers);
    EXPECT_EQ(v.notice, "");
    EXPECT_EQ(v.cardPlace, render::CardPlace::Hidden);
    EXPECT_EQ(v.dataProblem, "DATA: sky.bmp is damaged");
}

TEST(ControlsCard, KeyListsPairTheTwoActionsAndShareAFirstWord) {
    EXPECT_EQ(keyList({"Keypad 8", "Up"}, {"Keypad 5", "Down"}), "Keypad 8/5, Up/Down");
    EXPECT_EQ(keyList({"Q"}, {"A"}), "Q/A");
    EXPECT_EQ(keyList({"Return", "Keypad Enter"}), "Return, Keypad Enter");
    EXPECT_EQ(keyList({"F11", "J"}, {"F12"}), "F11/F12, J") << "a key without a partner stands alone";
    EXPECT_EQ(keyList({"Left Shift"}, {"Right Shift"}), "Left Shift/Right Shift") << "only a shared first word";
    EXPECT_EQ(keyList({}, {}), "");
}

}  // namespace
}  // namespace vantrel
