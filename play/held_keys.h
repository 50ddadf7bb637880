// The keys of the next logic tick from the keys held now, on any platform: a tap shorter than a
// tick (down and up between two snapshots) still shows as held in one snapshot, and a key shown
// held that is let go and pressed again before the next snapshot shows up in that one and held
// in the one after, so no key press is lost on a slow frame; the pads' keys join the keyboard's;
// the generic SHIFT, CONTROL and MENU codes follow their left and right keys, as on Windows.
// Codes are Windows virtual-key codes.
#pragma once

#include <bitset>
#include <cstdint>

namespace vantrel {

class HeldKeys {
public:
    // A key went down that sets these codes while it is held.
    void pressed(const std::bitset<256>& codes);
    // A key went up that set these codes.
    void released(const std::bitset<256>& codes) { releasedSinceSnapshot_ |= codes; }
    // The codes the gamepads hold now; replaces the previous set.
    void setPadKeys(const std::bitset<256>& held);
    // Everything up at once: after focus moves away or a box ate the key releases.
    void releaseAll();
    // The snapshot for the next tick, given the codes of the keys held now; presses held back
    // for it are used up.
    void takeSnapshot(const std::bitset<256>& keyboardHeld, uint8_t out[256]);

private:
    std::bitset<256> padHeld_;
    std::bitset<256> unseenPress_;  // codes that went down since the last snapshot
    std::bitset<256> releasedSinceSnapshot_;
    std::bitset<256> pressedAfterRelease_;  // since the last snapshot
    std::bitset<256> lastShown_;            // the codes the last snapshot showed held
};

}  // namespace vantrel
