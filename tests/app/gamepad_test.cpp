#include "app/gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/keyboard.h"
#include "sim/controls.h"
#include "world/keys.h"
#include "world/world.h"

namespace vantrel {
namespace {

// The control word the player's aircraft gets from the pad, through the keyboard snapshot.
uint32_t controlsFrom(const PadState& pad) {
    KeyboardSnapshot k;
    k.setPadKeys(padKeys(pad));
    uint8_t snapshot[256];
    k.takeSnapshot(snapshot);
    auto w = std::make_unique<World>();
    w->seats[PLAYER_SEAT].slot = 0;
    w->aircraft[0].side = 1;
    updateKeyState(w->seats[PLAYER_SEAT].input, snapshot);
    updatePlayerControls(*w);
    return w->aircraft[0].controls;
}

PadState withAxis(SDL_GameControllerAxis axis, int value) {
    PadState pad;
    pad.axes[axis] = static_cast<int16_t>(value);
    return pad;
}

PadState withButton(SDL_GameControllerButton button) {
    PadState pad;
    pad.buttons[button] = true;
    return pad;
}

TEST(Gamepad, StickPastTheDeadZoneFliesLikeTheKeypad) {
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768)), CTRL_PITCH_DOWN) << "stick forward";
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTY, 32767)), CTRL_PITCH_UP);
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTX, -STICK_DEAD_ZONE - 1)), CTRL_ROLL_LEFT);
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTX, STICK_DEAD_ZONE + 1)), CTRL_ROLL_RIGHT);
}

TEST(Gamepad, StickInsideTheDeadZoneDoesNothing) {
    for (int value : {-STICK_DEAD_ZONE, -1, 0, 1, STICK_DEAD_ZONE}) {
        EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTX, value)), 0u) << value;
        EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_LEFTY, value)), 0u) << value;
    }
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767)), 0u) << "the right stick is free";
}

TEST(Gamepad, ShouldersTriggersAndButtonsSetTheirBits) {
    EXPECT_EQ(controlsFrom(withButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER)), CTRL_YAW_LEFT);
    EXPECT_EQ(controlsFrom(withButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER)), CTRL_YAW_RIGHT);
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767)), CTRL_THROTTLE_UP);
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767)), CTRL_THROTTLE_DOWN);
    EXPECT_EQ(controlsFrom(withAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, TRIGGER_THRESHOLD)), 0u);
    EXPECT_EQ(controlsFrom(withButton(SDL_CONTROLLER_BUTTON_A)), CTRL_FIRE_GUN);
    EXPECT_EQ(controlsFrom(withButton(SDL_CONTROLLER_BUTTON_B)), CTRL_FIRE_LAUNCHER);
}

TEST(Gamepad, MenuButtonsAreSpaceAndEscape) {
    EXPECT_TRUE(padKeys(withButton(SDL_CONTROLLER_BUTTON_START)).test(VK_SPACE));
    EXPECT_TRUE(padKeys(withButton(SDL_CONTROLLER_BUTTON_BACK)).test(VK_ESCAPE));
    EXPECT_TRUE(padKeys(withButton(SDL_CONTROLLER_BUTTON_DPAD_UP)).test(VK_NUMPAD8));
    EXPECT_TRUE(padKeys(withButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN)).test(VK_NUMPAD5));
    EXPECT_TRUE(padKeys(PadState{}).none());
}

// Held launcher button: the game sees it go down once, so one launch per press.
TEST(Gamepad, HeldLauncherButtonIsOnePress) {
    KeyboardSnapshot k;
    auto w = std::make_unique<World>();
    w->seats[PLAYER_SEAT].slot = 0;
    w->aircraft[0].side = 1;
    k.setPadKeys(padKeys(withButton(SDL_CONTROLLER_BUTTON_B)));
    uint8_t snapshot[256];
    int launches = 0;
    for (int tick = 0; tick < 5; ++tick) {
        k.takeSnapshot(snapshot);
        updateKeyState(w->seats[PLAYER_SEAT].input, snapshot);
        updatePlayerControls(*w);
        launches += (w->aircraft[0].controls & CTRL_FIRE_LAUNCHER) != 0;
    }
    EXPECT_EQ(launches, 1);
}

TEST(Gamepad, TapBetweenTwoTicksIsSeenAndFocusLossReleases) {
    KeyboardSnapshot k;
    uint8_t snapshot[256];
    k.setPadKeys(padKeys(withButton(SDL_CONTROLLER_BUTTON_START)));
    k.setPadKeys({});
    k.takeSnapshot(snapshot);
    EXPECT_EQ(snapshot[VK_SPACE], KEY_DOWN_BIT);
    k.takeSnapshot(snapshot);
    EXPECT_EQ(snapshot[VK_SPACE], 0);
    k.setPadKeys(padKeys(withButton(SDL_CONTROLLER_BUTTON_A)));
    k.takeSnapshot(snapshot);
    k.releaseAll();
    k.takeSnapshot(snapshot);
    EXPECT_EQ(snapshot[VK_Z], 0);
}

// A pad plugged in while the game runs is opened, its buttons reach the keys, and pulling it
// out lets go of them; SDL's virtual joystick stands in for the device.
class PluggedPad : public ::testing::Test {
protected:
    void SetUp() override {
        if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) GTEST_SKIP() << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }

    void pump(Gamepads& pads) {
        SDL_GameControllerUpdate();
        SDL_Event e;
        while (SDL_PollEvent(&e)) pads.handleEvent(e);
    }

    int attach() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "test pad";
        return SDL_JoystickAttachVirtualEx(&desc);
    }
};

TEST_F(PluggedPad, HotPluggedPadHoldsKeysUntilPulledOut) {
    Gamepads pads;
    const int device = attach();
    ASSERT_GE(device, 0) << SDL_GetError();
    pump(pads);
    SDL_Joystick* joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
    ASSERT_NE(joystick, nullptr) << "the game opened the pad when it was plugged in";
    ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1), 0) << SDL_GetError();
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768), 0) << SDL_GetError();
    pump(pads);
    EXPECT_TRUE(pads.heldKeys().test(VK_Z));
    EXPECT_TRUE(pads.heldKeys().test(VK_NUMPAD4));
    SDL_JoystickDetachVirtual(device);
    pump(pads);
    EXPECT_TRUE(pads.heldKeys().none());
}

}  // namespace
}  // namespace vantrel
