#include <gtest/gtest.h>

#include "game/keyscript.h"
#include "world/keys.h"

using namespace vantrel;

namespace {

bool held(const KeyScript& s, int tick, int vk) {
    uint8_t keys[256];
    s.snapshot(tick, keys);
    return (keys[vk] & 0x80) != 0;
}

}  // namespace

TEST(KeyScript, TicksAndRangesHoldTheirKeys) {
    KeyScript s;
    std::string error;
    ASSERT_TRUE(s.parse("# a comment\nseed 42\n3 SPACE\n5-7 NUMPAD8 Z  # trailing\n6 X\n\n", error)) << error;
    EXPECT_EQ(s.seed(), 42u);
    EXPECT_FALSE(held(s, 2, VK_SPACE));
    EXPECT_TRUE(held(s, 3, VK_SPACE));
    EXPECT_FALSE(held(s, 4, VK_SPACE));
    EXPECT_TRUE(held(s, 5, VK_NUMPAD8));
    EXPECT_TRUE(held(s, 6, VK_X));
    EXPECT_TRUE(held(s, 6, VK_Z));
    EXPECT_TRUE(held(s, 7, VK_Z));
    EXPECT_FALSE(held(s, 7, VK_X));
    EXPECT_FALSE(held(s, 8, VK_Z));
    EXPECT_EQ(s.lastTick(), 7);
}

TEST(KeyScript, OverlappingRangesCombine) {
    KeyScript s;
    std::string error;
    ASSERT_TRUE(s.parse("1-10 Q\n4-5 Q A\n", error));
    EXPECT_TRUE(held(s, 6, VK_Q));  // the shorter range ending does not release the longer one
    EXPECT_TRUE(held(s, 4, VK_A));
    EXPECT_FALSE(held(s, 6, VK_A));
}

TEST(KeyScript, MalformedLinesAreErrorsNamingTheLine) {
    const char* bad[] = {"1 SPACE\n2 NOTAKEY\n", "1 SPACE\nfoo X\n",    "1 SPACE\n0 X\n", "1 SPACE\n5-3 X\n",
                         "1 SPACE\nseed -4\n",   "1 SPACE\nseed 1 2\n", "1 SPACE\n3- X\n"};
    for (const char* text : bad) {
        KeyScript s;
        std::string error;
        EXPECT_FALSE(s.parse(text, error)) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(KeyScript, NamesMapBothWays) {
    EXPECT_EQ(keyCodeByName("NUMPAD8"), 104);
    EXPECT_EQ(keyCodeByName("F12"), 123);
    EXPECT_EQ(keyCodeByName("ESCAPE"), 27);
    EXPECT_EQ(keyCodeByName("LEFT"), 37);
    EXPECT_EQ(keyCodeByName("Z"), 90);
    EXPECT_EQ(keyCodeByName("numpad8"), -1);
    for (int code = 0; code < 256; ++code) {
        const std::string name = keyNameByCode(code);
        if (!name.empty()) {
            EXPECT_EQ(keyCodeByName(name), code) << name;
        }
    }
}

TEST(KeyScript, SecondKeySetNamesHoldTheKeypadKeysTheyFlyWith) {
    KeyScript s;
    std::string error;
    ASSERT_TRUE(s.parse("1 UP COMMA\n2 DOWN PERIOD\n3 LEFT\n4 RIGHT\n", error)) << error;
    const int expected[][2] = {{VK_NUMPAD8, VK_NUMPAD7}, {VK_NUMPAD5, VK_NUMPAD9}, {VK_NUMPAD4, 0}, {VK_NUMPAD6, 0}};
    for (int tick = 1; tick <= 4; ++tick) {
        uint8_t keys[256];
        s.snapshot(tick, keys);
        int held = 0;
        for (int k = 0; k < 256; ++k) held += keys[k] != 0;
        const auto [first, second] = expected[tick - 1];
        EXPECT_EQ(keys[first], KEY_DOWN_BIT) << "tick " << tick;
        if (second != 0) {
            EXPECT_EQ(keys[second], KEY_DOWN_BIT) << "tick " << tick;
        }
        EXPECT_EQ(held, second != 0 ? 2 : 1) << "tick " << tick << ": nothing else is held";
    }
}

TEST(KeyScript, RecordingReplaysTheSameKeys) {
    KeyScriptRecorder recorder(77);
    const int pattern[][2] = {{1, VK_SPACE}, {2, VK_SPACE}, {3, 0}, {4, VK_Z}, {5, VK_Z}, {6, VK_X}, {9, VK_Q}};
    for (const auto& [tick, key] : pattern) {
        uint8_t keys[256] = {};
        if (key) keys[key] = 0x80;
        recorder.record(tick, keys);
    }
    KeyScript replay;
    std::string error;
    ASSERT_TRUE(replay.parse(recorder.text(), error)) << error << recorder.text();
    EXPECT_EQ(replay.seed(), 77u);
    for (const auto& [tick, key] : pattern) {
        uint8_t keys[256];
        replay.snapshot(tick, keys);
        for (int k = 0; k < 256; ++k) EXPECT_EQ(keys[k] != 0, key != 0 && k == key) << tick;
    }
    EXPECT_FALSE(held(replay, 7, VK_X));
    EXPECT_NE(recorder.text().find("1-2 SPACE"), std::string::npos) << recorder.text();
}
