// Helpers shared by the fight's tests: a mission from a hand-made situation file, the channels
// the fight asked to play, and a count of live effects by recipe.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "fixtures.h"
#include "game/flow.h"
#include "world/situation.h"
#include "world/world.h"

namespace vantrel::test {

// A mission entered from a hand-made situation file and run through the real logic tick.
class HandMadeMission : public ::testing::Test {
protected:
    void start(const char* name, int playerRecord, const std::vector<FileRecord>& records) {
        const std::string path =
            writeTempFile(name, situationBytes(playerRecord, static_cast<int>(records.size()), records));
        std::string error;
        ASSERT_TRUE(startSituation(*w, path, error)) << error;
        w->gameMode = MODE_MISSION;
        w->flowCounter = 0;
    }

    // One logic tick with these keys held.
    void tick(std::initializer_list<int> keys = {}) {
        uint8_t snapshot[256] = {};
        for (int k : keys) snapshot[k] = KEY_DOWN_BIT;
        logicTick(*w, "", snapshot);
    }

    std::unique_ptr<World> w = makeWorld();
};

// Channels of the plays in the world's sound table since it was last cleared, in order.
// emitSoundAt leaves out sounds 66.67 units or more from the camera, so tests place the camera
// near the events.
inline std::vector<int> playedChannels(const World& w) {
    std::vector<int> out;
    for (int i = 0; i < w.seats[PLAYER_SEAT].sounds.count; ++i) {
        if (w.seats[PLAYER_SEAT].sounds.events[i].kind == SOUND_EVENT_PLAY)
            out.push_back(w.seats[PLAYER_SEAT].sounds.events[i].code);
    }
    return out;
}

// Live effects spawned from the recipe, told apart by the fields ageing never changes.
inline int liveEffects(const World& w, const EffectRecipe& r) {
    int n = 0;
    for (const Effect& e : w.effects) {
        const bool sizeKept = r.growth != 0.0f || e.size == r.size;
        n += e.life != 0 && e.kind == r.kind && e.vy == r.vy && e.growth == r.growth && e.shadeStep == r.shadeStep &&
             e.alphaStep == r.alphaStep && sizeKept;
    }
    return n;
}

}  // namespace vantrel::test
