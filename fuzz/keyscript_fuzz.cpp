// Feeds arbitrary text to the key-script reader. A refused script must say which line is
// wrong. An accepted one is replayed tick by tick into the recorder, and the recording must
// read back as the same seed and the same keys at every tick: what --record writes,
// --input must replay exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "game/keyscript.h"

namespace {

// Ticks replayed; longer scripts are compared over their first this-many ticks.
constexpr int MAX_TICKS_REPLAYED = 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vantrel::KeyScript script;
    std::string error;
    if (!script.parse(text, error)) {
        if (error.find("line") == std::string::npos) __builtin_trap();
        return 0;
    }
    const int ticks = std::min(script.lastTick() + 1, MAX_TICKS_REPLAYED);
    vantrel::KeyScriptRecorder recorder(script.seed().value_or(0));
    uint8_t keys[256];
    for (int tick = 1; tick <= ticks; ++tick) {
        script.snapshot(tick, keys);
        recorder.record(tick, keys);
    }
    vantrel::KeyScript replay;
    if (!replay.parse(recorder.text(), error)) __builtin_trap();
    if (replay.seed().value_or(0) != script.seed().value_or(0)) __builtin_trap();
    uint8_t replayed[256];
    for (int tick = 1; tick <= ticks; ++tick) {
        script.snapshot(tick, keys);
        replay.snapshot(tick, replayed);
        if (std::memcmp(keys, replayed, sizeof keys) != 0) __builtin_trap();
    }
    return 0;
}
