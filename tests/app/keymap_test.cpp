#include "app/keymap.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/keyboard.h"
#include "sim/controls.h"
#include "world/keys.h"
#include "world/world.h"

namespace vantrel {
namespace {

struct Snapshot {
    uint8_t keys[256];
    int downCount() const {
        int n = 0;
        for (uint8_t k : keys) n += (k & KEY_DOWN_BIT) != 0;
        return n;
    }
};

Snapshot holding(KeyboardSnapshot& k, SDL_Scancode scancode) {
    k.setKey(scancode, true);
    Snapshot s;
    k.takeSnapshot(s.keys);
    k.setKey(scancode, false);
    Snapshot after;
    k.takeSnapshot(after.keys);
    return s;
}

// The control word the player's aircraft gets from one snapshot, through the game's own path.
uint32_t controlsFrom(const Snapshot& s) {
    auto w = std::make_unique<World>();
    w->seats[PLAYER_SEAT].slot = 0;
    w->aircraft[0].side = 1;
    updateKeyState(w->seats[PLAYER_SEAT].input, s.keys);
    updatePlayerControls(*w);
    return w->aircraft[0].controls;
}

KeyMap parse(const std::string& text, std::vector<std::string>& problems) {
    return parseKeyConfig(text, "keys.conf", problems);
}

TEST(KeyMap, SecondSetFliesThroughTheKeypadCodes) {
    const std::pair<SDL_Scancode, uint32_t> expected[] = {
        {SDL_SCANCODE_UP, CTRL_PITCH_DOWN},  {SDL_SCANCODE_DOWN, CTRL_PITCH_UP},
        {SDL_SCANCODE_LEFT, CTRL_ROLL_LEFT}, {SDL_SCANCODE_RIGHT, CTRL_ROLL_RIGHT},
        {SDL_SCANCODE_COMMA, CTRL_YAW_LEFT}, {SDL_SCANCODE_PERIOD, CTRL_YAW_RIGHT},
    };
    KeyboardSnapshot k;
    for (const auto& [scancode, bit] : expected) {
        EXPECT_EQ(controlsFrom(holding(k, scancode)), bit) << SDL_GetScancodeName(scancode);
    }
}

TEST(KeyMap, KeypadAndLetterKeysAreUnchanged) {
    const std::pair<SDL_Scancode, int> expected[] = {
        {SDL_SCANCODE_KP_8, VK_NUMPAD8}, {SDL_SCANCODE_KP_5, VK_NUMPAD5}, {SDL_SCANCODE_KP_4, VK_NUMPAD4},
        {SDL_SCANCODE_KP_6, VK_NUMPAD6}, {SDL_SCANCODE_KP_7, VK_NUMPAD7}, {SDL_SCANCODE_KP_9, VK_NUMPAD9},
        {SDL_SCANCODE_Z, VK_Z},          {SDL_SCANCODE_X, VK_X},          {SDL_SCANCODE_Q, VK_Q},
        {SDL_SCANCODE_A, VK_A},          {SDL_SCANCODE_F11, VK_F11},      {SDL_SCANCODE_SPACE, VK_SPACE},
    };
    KeyboardSnapshot k;
    for (const auto& [scancode, code] : expected) {
        const Snapshot s = holding(k, scancode);
        EXPECT_EQ(s.keys[code], KEY_DOWN_BIT) << SDL_GetScancodeName(scancode);
        EXPECT_EQ(s.downCount(), 1) << SDL_GetScancodeName(scancode) << " sets another code too";
    }
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_KP_8)), CTRL_PITCH_DOWN);
}

TEST(KeyMap, ActionHeldWhileAnyOfItsKeysIsDown) {
    KeyboardSnapshot k;
    Snapshot s;
    k.setKey(SDL_SCANCODE_KP_8, true);
    k.setKey(SDL_SCANCODE_UP, true);
    k.takeSnapshot(s.keys);
    k.setKey(SDL_SCANCODE_UP, false);
    k.takeSnapshot(s.keys);
    EXPECT_EQ(s.keys[VK_NUMPAD8], KEY_DOWN_BIT) << "the keypad 8 is still held";
    EXPECT_EQ(s.keys[VK_UP], 0);
    k.setKey(SDL_SCANCODE_KP_8, false);
    k.takeSnapshot(s.keys);
    EXPECT_EQ(s.keys[VK_NUMPAD8], 0);
}

TEST(KeyMap, RemappedActionLeavesItsOldKey) {
    std::vector<std::string> problems;
    KeyboardSnapshot k(parse("gun = Left Ctrl\nlauncher=left shift , Space\n", problems));
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(holding(k, SDL_SCANCODE_Z).keys[VK_Z], 0) << "Z is no longer the gun";
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_LCTRL)), CTRL_FIRE_GUN);
    const Snapshot space = holding(k, SDL_SCANCODE_SPACE);
    EXPECT_EQ(space.keys[VK_X], KEY_DOWN_BIT);
    EXPECT_EQ(space.keys[VK_SPACE], KEY_DOWN_BIT) << "Space is still the start key too";
    EXPECT_EQ(holding(k, SDL_SCANCODE_LSHIFT).keys[VK_X], KEY_DOWN_BIT);
}

TEST(KeyMap, BadLinesAreNamedAndKeepTheirDefaults) {
    std::vector<std::string> problems;
    const std::string text =
        "# my keys\n"
        "\n"
        "gun = Nonsense Key\n"
        "fly-faster = Q\n"
        "launcher Space\n"
        "throttle-up = W,\n"
        "throttle-down = S\r\n"
        "  pitch-down = I  \n";
    KeyboardSnapshot k(parse(text, problems));
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].rfind("keys.conf:3: ", 0), 0u) << problems[0];
    EXPECT_NE(problems[0].find("Nonsense Key"), std::string::npos);
    EXPECT_EQ(problems[1].rfind("keys.conf:4: ", 0), 0u) << problems[1];
    EXPECT_EQ(problems[2].rfind("keys.conf:5: ", 0), 0u) << problems[2];
    EXPECT_EQ(problems[3].rfind("keys.conf:6: ", 0), 0u) << problems[3];
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_Z)), CTRL_FIRE_GUN);
    EXPECT_EQ(holding(k, SDL_SCANCODE_X).keys[VK_X], KEY_DOWN_BIT);
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_Q)), CTRL_THROTTLE_UP);
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_W)), 0u) << "a refused line binds nothing";
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_S)), CTRL_THROTTLE_DOWN) << "CRLF lines are read";
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_I)), CTRL_PITCH_DOWN) << "lines after bad ones still count";
    EXPECT_EQ(controlsFrom(holding(k, SDL_SCANCODE_UP)), 0u);
}

TEST(KeyMap, KeysWithoutAGameCodeAreRefused) {
    std::vector<std::string> problems;
    parse("gun = AudioPlay\n", problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("AudioPlay"), std::string::npos);
}

TEST(KeyMap, DescriptionListsBothKeySets) {
    const std::string text = KeyMap().describe();
    for (const char* part : {"pitch-down = Keypad 8, Up", "pitch-up = Keypad 5, Down", "roll-left = Keypad 4, Left",
                             "roll-right = Keypad 6, Right", "yaw-left = Keypad 7, Comma",
                             "yaw-right = Keypad 9, Period", "gun = Z", "next-aircraft = F12"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    }
    std::vector<std::string> problems;
    parse(text, problems);
    EXPECT_TRUE(problems.empty()) << "the listed keys read back as a keys.conf: " << problems.front();
}

TEST(KeyMap, KeyNamesFollowTheBindingsOfAnActionsCode) {
    std::vector<std::string> problems;
    const KeyMap map = parse("gun = J, K\nthrottle-up = Comma\n", problems);
    EXPECT_EQ(map.keyNames(VK_Z), (std::vector<std::string>{"J", "K"}));
    EXPECT_EQ(map.keyNames(VK_Q), (std::vector<std::string>{"Comma"}));
    EXPECT_EQ(map.keyNames(VK_PAUSE), (std::vector<std::string>{"P", "Pause"})) << "defaults stay";
    EXPECT_TRUE(map.keyNames('J').empty()) << "no action has J's own code";
}

TEST(KeyMap, ConfigLivesInTheUsersConfigurationDirectory) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    setenv("HOME", "/home/pilot", 1);
    EXPECT_EQ(keyConfigPath(), "/tmp/cfg/vantrel/keys.conf");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(keyConfigPath(), "/home/pilot/.config/vantrel/keys.conf");
    if (oldXdg != nullptr) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace vantrel
