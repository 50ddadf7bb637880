#include "app/keyboard.h"

#include <gtest/gtest.h>

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

TEST(Keyboard, KeypadKeysReadAsNumpadCodesWhateverNumLockSays) {
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_8), VK_NUMPAD8);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_5), VK_NUMPAD5);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_4), VK_NUMPAD4);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_6), VK_NUMPAD6);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_7), VK_NUMPAD7);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_9), VK_NUMPAD9);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_0), 96);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_1), 97);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_KP_ENTER), VK_RETURN);
}

TEST(Keyboard, GameKeysMapToTheirVirtualKeyCodes) {
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_SPACE), VK_SPACE);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_RETURN), VK_RETURN);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_Z), VK_Z);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_X), VK_X);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_Q), VK_Q);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_A), VK_A);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_F1), VK_F1);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_F4), VK_F4);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_F11), VK_F11);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_F12), VK_F12);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_LEFT), VK_LEFT);
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_DOWN), VK_DOWN);
}

TEST(Keyboard, DigitRowReadsAsCharacterCodesWithZeroLast) {
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_1), '1');
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_9), '9');
    EXPECT_EQ(virtualKeyOf(SDL_SCANCODE_0), '0');
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
