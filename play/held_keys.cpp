#include "play/held_keys.h"

#include "world/keys.h"

namespace vantrel {

namespace {

// Generic modifier codes and their left and right keys.
struct ModifierPair {
    uint8_t generic, left, right;
};
constexpr ModifierPair MODIFIERS[] = {{16, 160, 161}, {17, 162, 163}, {18, 164, 165}};

}  // namespace

void HeldKeys::pressed(const std::bitset<256>& codes) {
    pressedAfterRelease_ |= codes & releasedSinceSnapshot_;
    unseenPress_ |= codes;
}

void HeldKeys::setPadKeys(const std::bitset<256>& held) {
    released(padHeld_ & ~held);
    pressed(held & ~padHeld_);
    padHeld_ = held;
}

void HeldKeys::releaseAll() {
    padHeld_.reset();
    unseenPress_.reset();
    releasedSinceSnapshot_.reset();
    pressedAfterRelease_.reset();
}

void HeldKeys::takeSnapshot(const std::bitset<256>& keyboardHeld, uint8_t out[256]) {
    // Without the gap the tick would see the key still held, not pressed a second time.
    const std::bitset<256> pressedAgain = pressedAfterRelease_ & lastShown_;
    const std::bitset<256> down = (keyboardHeld | padHeld_ | unseenPress_) & ~pressedAgain;
    unseenPress_ = pressedAgain;
    releasedSinceSnapshot_.reset();
    pressedAfterRelease_.reset();
    lastShown_ = down;
    for (int code = 0; code < 256; ++code) out[code] = down.test(code) ? KEY_DOWN_BIT : 0;
    for (const ModifierPair& m : MODIFIERS) out[m.generic] = (out[m.left] | out[m.right]) & KEY_DOWN_BIT;
}

}  // namespace vantrel
