#include "app/keyboard.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <utility>

#include "game/keyscript.h"
#include "world/keys.h"

namespace vantrel {
namespace {

struct Snapshot {
    uint8_t keys[256];
};

Snapshot take(KeyboardSnapshot& k) {
    Snapshot s;
    k.takeSnapshot(s.keys);
    return s;
}

// Keypad keys read as NUMPAD codes whatever Num Lock says; the digit row has 0 last.
TEST(Keyboard, GameKeysMapToTheirVirtualKeyCodes) {
    const std::pair<SDL_Scancode, int> expected[] = {
        {SDL_SCANCODE_KP_8, VK_NUMPAD8},
        {SDL_SCANCODE_KP_5, VK_NUMPAD5},
        {SDL_SCANCODE_KP_4, VK_NUMPAD4},
        {SDL_SCANCODE_KP_6, VK_NUMPAD6},
        {SDL_SCANCODE_KP_7, VK_NUMPAD7},
        {SDL_SCANCODE_KP_9, VK_NUMPAD9},
        {SDL_SCANCODE_KP_0, 96},
        {SDL_SCANCODE_KP_ENTER, VK_RETURN},
        {SDL_SCANCODE_SPACE, VK_SPACE},
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDL_SCANCODE_RETURN, VK_RETURN},
        {SDL_SCANCODE_Z, VK_Z},
        {SDL_SCANCODE_X, VK_X},
        {SDL_SCANCODE_Q, VK_Q},
        {SDL_SCANCODE_A, VK_A},
        {SDL_SCANCODE_F1, VK_F1},
        {SDL_SCANCODE_F4, VK_F4},
        {SDL_SCANCODE_F11, VK_F11},
        {SDL_SCANCODE_F12, VK_F12},
        {SDL_SCANCODE_LEFT, VK_LEFT},
        {SDL_SCANCODE_DOWN, VK_DOWN},
        {SDL_SCANCODE_1, '1'},
        {SDL_SCANCODE_9, '9'},
        {SDL_SCANCODE_0, '0'},
    };
    for (const auto& [scancode, key] : expected)
        EXPECT_EQ(virtualKeyOf(scancode), key) << SDL_GetScancodeName(scancode);
}

TEST(Keyboard, EveryMappedKeyHasAKeyScriptName) {
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const uint8_t key = virtualKeyOf(static_cast<SDL_Scancode>(scancode));
        if (key != 0) {
            EXPECT_FALSE(keyNameByCode(key).empty()) << "a recording would drop " << int{key};
        }
    }
}

TEST(Keyboard, KeysWithoutACodeAreIgnored) {
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_EQ(virtualKeyOf(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 0);
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_AUDIOPLAY, true);
    const Snapshot s = take(k);
    for (int code = 0; code < 256; ++code) EXPECT_EQ(s.keys[code], 0) << code;
}

TEST(Keyboard, HeldKeyStaysDownUntilReleased) {
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_KP_8, true);
    EXPECT_EQ(take(k).keys[VK_NUMPAD8], KEY_DOWN_BIT);
    EXPECT_EQ(take(k).keys[VK_NUMPAD8], KEY_DOWN_BIT);
    k.setKey(SDL_SCANCODE_KP_8, false);
    EXPECT_EQ(take(k).keys[VK_NUMPAD8], 0);
}

TEST(Keyboard, TapBetweenTwoTicksShowsInExactlyOneSnapshot) {
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_SPACE, true);
    k.setKey(SDL_SCANCODE_SPACE, false);
    EXPECT_EQ(take(k).keys[VK_SPACE], KEY_DOWN_BIT);
    EXPECT_EQ(take(k).keys[VK_SPACE], 0);
}

TEST(Keyboard, PressAgainAfterAHeldBackReleaseStaysDown) {
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_X, true);
    k.setKey(SDL_SCANCODE_X, false);
    k.setKey(SDL_SCANCODE_X, true);
    EXPECT_EQ(take(k).keys[VK_X], KEY_DOWN_BIT);
    EXPECT_EQ(take(k).keys[VK_X], KEY_DOWN_BIT);
}

// Two quick presses on a slow frame: each is a press the World sees, the second a tick late.
TEST(Keyboard, KeyLetGoAndPressedAgainBetweenTwoTicksIsPressedTwice) {
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(take(k).keys[VK_ESCAPE], KEY_DOWN_BIT);
    k.setKey(SDL_SCANCODE_ESCAPE, false);
    k.setKey(SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(take(k).keys[VK_ESCAPE], 0) << "let go";
    EXPECT_EQ(take(k).keys[VK_ESCAPE], KEY_DOWN_BIT) << "pressed again";

    k.setKey(SDL_SCANCODE_ESCAPE, false);
    k.setKey(SDL_SCANCODE_ESCAPE, true);
    k.setKey(SDL_SCANCODE_ESCAPE, false);
    EXPECT_EQ(take(k).keys[VK_ESCAPE], 0);
    EXPECT_EQ(take(k).keys[VK_ESCAPE], KEY_DOWN_BIT) << "the second press was a tap";
    EXPECT_EQ(take(k).keys[VK_ESCAPE], 0);

    k.setPadKeys(std::bitset<256>().set(VK_ESCAPE));
    EXPECT_EQ(take(k).keys[VK_ESCAPE], KEY_DOWN_BIT);
    k.setPadKeys({});
    k.setPadKeys(std::bitset<256>().set(VK_ESCAPE));
    EXPECT_EQ(take(k).keys[VK_ESCAPE], 0) << "a pad's button, too";
    EXPECT_EQ(take(k).keys[VK_ESCAPE], KEY_DOWN_BIT);
}

TEST(Keyboard, GenericModifierFollowsEitherSide) {
    constexpr int SHIFT = 16, LSHIFT = 160, RSHIFT = 161, CONTROL = 17, RCONTROL = 163;
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_LSHIFT, true);
    k.setKey(SDL_SCANCODE_RSHIFT, true);
    Snapshot s = take(k);
    EXPECT_EQ(s.keys[LSHIFT], KEY_DOWN_BIT);
    EXPECT_EQ(s.keys[RSHIFT], KEY_DOWN_BIT);
    EXPECT_EQ(s.keys[SHIFT], KEY_DOWN_BIT);
    k.setKey(SDL_SCANCODE_LSHIFT, false);
    EXPECT_EQ(take(k).keys[SHIFT], KEY_DOWN_BIT) << "the right shift is still down";
    k.setKey(SDL_SCANCODE_RSHIFT, false);
    EXPECT_EQ(take(k).keys[SHIFT], 0);
    k.setKey(SDL_SCANCODE_RCTRL, true);
    s = take(k);
    EXPECT_EQ(s.keys[CONTROL], KEY_DOWN_BIT);
    EXPECT_EQ(s.keys[RCONTROL], KEY_DOWN_BIT);
}

TEST(Keyboard, ReleaseAllClearsHeldAndHeldBackKeys) {
    KeyboardSnapshot k;
    k.setKey(SDL_SCANCODE_Z, true);
    k.setKey(SDL_SCANCODE_LALT, true);
    take(k);
    k.setKey(SDL_SCANCODE_RETURN, true);
    k.setKey(SDL_SCANCODE_RETURN, false);
    k.releaseAll();
    const Snapshot s = take(k);
    for (int code = 0; code < 256; ++code) EXPECT_EQ(s.keys[code], 0) << code;
}

}  // namespace
}  // namespace vantrel
