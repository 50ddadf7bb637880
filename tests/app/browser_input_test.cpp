// The browser's keyboard and pads hold the same virtual-key codes as the desktop's defaults for
// the same physical keys and controls, so a player, a recording and a replay see one game.
#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include <string>
#include <vector>

#include "app/gamepad.h"
#include "app/keymap.h"
#include "web/platform_keys.h"
#include "web/platform_pad.h"
#include "world/keys.h"

namespace vantrel {

namespace {

// One physical key as the browser (KeyboardEvent.code) and SDL name it.
struct PhysicalKey {
    std::string dom;
    SDL_Scancode sdl;
};

std::vector<PhysicalKey> physicalKeys() {
    std::vector<PhysicalKey> keys;
    for (int i = 0; i < 26; ++i)
        keys.push_back({std::string("Key") + char('A' + i), static_cast<SDL_Scancode>(SDL_SCANCODE_A + i)});
    for (int i = 1; i <= 9; ++i)
        keys.push_back({"Digit" + std::to_string(i), static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i - 1)});
    keys.push_back({"Digit0", SDL_SCANCODE_0});
    for (int i = 1; i <= 12; ++i)
        keys.push_back({"F" + std::to_string(i), static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i - 1)});
    for (int i = 1; i <= 9; ++i)
        keys.push_back({"Numpad" + std::to_string(i), static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i - 1)});
    const std::vector<PhysicalKey> named = {
        {"Numpad0", SDL_SCANCODE_KP_0},     {"NumpadEnter", SDL_SCANCODE_KP_ENTER}, {"Enter", SDL_SCANCODE_RETURN},
        {"Escape", SDL_SCANCODE_ESCAPE},    {"Space", SDL_SCANCODE_SPACE},          {"ArrowUp", SDL_SCANCODE_UP},
        {"ArrowDown", SDL_SCANCODE_DOWN},   {"ArrowLeft", SDL_SCANCODE_LEFT},       {"ArrowRight", SDL_SCANCODE_RIGHT},
        {"Comma", SDL_SCANCODE_COMMA},      {"Period", SDL_SCANCODE_PERIOD},        {"Tab", SDL_SCANCODE_TAB},
        {"ShiftLeft", SDL_SCANCODE_LSHIFT}, {"ControlRight", SDL_SCANCODE_RCTRL},   {"AltLeft", SDL_SCANCODE_LALT},
        {"Slash", SDL_SCANCODE_SLASH},      {"NumpadAdd", SDL_SCANCODE_KP_PLUS},    {"Backquote", SDL_SCANCODE_GRAVE},
    };
    keys.insert(keys.end(), named.begin(), named.end());
    return keys;
}

bool held(const uint8_t snapshot[256], int code) { return (snapshot[code] & KEY_DOWN_BIT) != 0; }

}  // namespace

TEST(BrowserKeys, EveryKeySetsTheCodesTheDesktopsDefaultMapGivesTheSameKey) {
    const KeyMap desktop;
    for (const PhysicalKey& key : physicalKeys()) {
        std::bitset<256> expected;
        for (uint8_t code : desktop.codesOf(key.sdl)) expected.set(code);
        EXPECT_EQ(web::codesOfKey(key.dom), expected) << key.dom;
        bool bound = false;
        for (const KeyAction& action : KEY_ACTIONS) bound = bound || expected.test(action.virtualKey);
        EXPECT_EQ(web::isGameKey(key.dom), bound)
            << key.dom << ": the page keeps exactly the keys of the game's actions";
    }
}

TEST(BrowserKeys, TheControlsCardNamesTheKeysAsTheDesktopDoes) {
    const KeyMap desktop;
    for (const KeyAction& action : KEY_ACTIONS) {
        EXPECT_EQ(web::keyNamesOf(action.virtualKey), desktop.keyNames(action.virtualKey)) << action.name;
    }
}

TEST(BrowserKeys, NamesOutsideTheKnownPatternsSetNothing) {
    for (const char* name :
         {"", "Key", "KeyAA", "Keya", "Digit10", "F0", "F25", "Numpad10", "MediaPlayPause", "IntlRo"}) {
        EXPECT_TRUE(web::codesOfKey(name).none()) << name;
        EXPECT_FALSE(web::isGameKey(name)) << name;
    }
}

TEST(BrowserKeys, ATapBetweenTwoSnapshotsIsSeenOnceAndEitherSetHoldsTheAction) {
    web::BrowserKeyboard keyboard;
    uint8_t snapshot[256];
    keyboard.setKey("ArrowUp", true);
    keyboard.setKey("ArrowUp", false);
    keyboard.takeSnapshot(snapshot);
    EXPECT_TRUE(held(snapshot, VK_NUMPAD8)) << "the tap is seen";
    keyboard.takeSnapshot(snapshot);
    EXPECT_FALSE(held(snapshot, VK_NUMPAD8)) << "and only once";

    keyboard.setKey("Numpad8", true);
    keyboard.setKey("ArrowUp", true);
    keyboard.setKey("ArrowUp", false);
    keyboard.takeSnapshot(snapshot);
    keyboard.takeSnapshot(snapshot);
    EXPECT_TRUE(held(snapshot, VK_NUMPAD8)) << "the keypad key still holds it";
    keyboard.setKey("ShiftRight", true);
    keyboard.takeSnapshot(snapshot);
    EXPECT_TRUE(held(snapshot, 16)) << "the generic SHIFT follows the right one";

    keyboard.setKey("Numpad8", false);
    keyboard.setKey("Numpad8", true);
    keyboard.takeSnapshot(snapshot);
    EXPECT_FALSE(held(snapshot, VK_NUMPAD8)) << "let go and pressed again on a slow frame";
    keyboard.takeSnapshot(snapshot);
    EXPECT_TRUE(held(snapshot, VK_NUMPAD8)) << "is a second press";

    keyboard.releaseAll();
    keyboard.takeSnapshot(snapshot);
    EXPECT_FALSE(held(snapshot, VK_NUMPAD8));
    EXPECT_FALSE(held(snapshot, 16));
    keyboard.setKey("Numpad8", false);  // the release that arrives after a freeze changes nothing
    keyboard.setKey("MediaPlayPause", true);
    keyboard.takeSnapshot(snapshot);
    for (int code = 0; code < 256; ++code) EXPECT_FALSE(held(snapshot, code)) << code;
}

// The same control on the browser's standard pad and on SDL's.
TEST(BrowserPads, AStandardPadHoldsTheDesktopPadsCodesForTheSameControls) {
    const struct {
        int standard;
        SDL_GameControllerButton sdl;
    } buttons[] = {{0, SDL_CONTROLLER_BUTTON_A},
                   {1, SDL_CONTROLLER_BUTTON_B},
                   {2, SDL_CONTROLLER_BUTTON_X},
                   {3, SDL_CONTROLLER_BUTTON_Y},
                   {4, SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
                   {5, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
                   {8, SDL_CONTROLLER_BUTTON_BACK},
                   {9, SDL_CONTROLLER_BUTTON_START},
                   {12, SDL_CONTROLLER_BUTTON_DPAD_UP},
                   {13, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
                   {14, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
                   {15, SDL_CONTROLLER_BUTTON_DPAD_RIGHT}};
    for (const auto& b : buttons) {
        web::StandardPad browser;
        browser.buttons.assign(17, 0.0);
        browser.buttons[size_t(b.standard)] = 1.0;
        PadState desktop;
        desktop.buttons[b.sdl] = true;
        EXPECT_EQ(web::padKeys(browser), padKeys(desktop)) << "button " << b.standard;
    }
    const struct {
        bool trigger;
        int standard;
        SDL_GameControllerAxis sdl;
        double value;
    } axes[] = {{false, 0, SDL_CONTROLLER_AXIS_LEFTX, -1.0},     {false, 0, SDL_CONTROLLER_AXIS_LEFTX, 0.6},
                {false, 1, SDL_CONTROLLER_AXIS_LEFTY, -0.5},     {false, 1, SDL_CONTROLLER_AXIS_LEFTY, 1.0},
                {false, 1, SDL_CONTROLLER_AXIS_LEFTY, 0.2},      {false, 0, SDL_CONTROLLER_AXIS_LEFTX, -0.2},
                {true, 6, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0}, {true, 7, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.5},
                {true, 7, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.2}};
    for (const auto& a : axes) {
        web::StandardPad browser;
        browser.axes.assign(4, 0.0);
        browser.buttons.assign(17, 0.0);
        (a.trigger ? browser.buttons : browser.axes)[size_t(a.standard)] = a.value;
        PadState desktop;
        desktop.axes[a.sdl] = static_cast<int16_t>(a.value * 32767.0);
        EXPECT_EQ(web::padKeys(browser), padKeys(desktop)) << "axis " << a.sdl << " at " << a.value;
    }
    EXPECT_TRUE(web::padKeys({}).none()) << "a pad that reports nothing holds nothing";
}

}  // namespace vantrel
