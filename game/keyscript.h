// Key scripts: the keys held in each logic tick, as text, for replays, tests and recordings.
//
//   # comment
//   seed 1234
//   40 SPACE            keys held during logic tick 40 (ticks count from 1)
//   100-180 NUMPAD5 Z   keys held during ticks 100 to 180 inclusive
//
// Key names are the Windows virtual-key names without their VK_ prefix.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

using KeySet = std::bitset<256>;

// The virtual-key code of a name ("NUMPAD8", "F1", "Z"), or -1.
int keyCodeByName(const std::string& name);
// The name of a virtual-key code, or an empty string for a code with no name.
std::string keyNameByCode(int code);

class KeyScript {
public:
    // Parses the text; on a malformed line returns false with an error naming the line.
    bool parse(const std::string& text, std::string& error);
    bool load(const std::string& path, std::string& error);

    std::optional<uint32_t> seed() const { return seed_; }
    // Fills a 256-byte snapshot with the keys held during tick (from 1).
    void snapshot(int tick, uint8_t out[256]) const;
    // The last tick any directive names; 0 for an empty script.
    int lastTick() const;

private:
    struct Segment {
        int start;  // first tick of the segment; it lasts until the next segment's start
        KeySet keys;
    };
    std::optional<uint32_t> seed_;
    std::vector<Segment> segments_;
};

// Writes a key script as ticks go by, joining runs of ticks with the same keys into ranges.
class KeyScriptRecorder {
public:
    explicit KeyScriptRecorder(uint32_t seed);
    void record(int tick, const uint8_t snapshot[256]);
    // The whole script so far, ending with the pending range.
    std::string text() const;

private:
    std::string done_;
    int runStart_ = 0, runEnd_ = 0;
    KeySet runKeys_;
};

}  // namespace vantrel
