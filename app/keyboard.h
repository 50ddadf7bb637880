// The keyboard as the game reads it: 256 bytes indexed by Windows virtual-key code, bit 7 set
// while the key is held. Built from SDL key events through the player's key map, plus the
// gamepad's keys (scancodes, so the keypad reads the same
// whatever Num Lock says), because SDL's own keyboard state ignores pushed events and the
// offscreen driver has no keyboard focus.
#pragma once

#include <SDL_scancode.h>

#include <utility>

#include <bitset>
#include <cstdint>

#include "app/keymap.h"
#include "play/held_keys.h"

namespace vantrel {

// The virtual-key code of a scancode, or 0 for a key the game has no code for.
uint8_t virtualKeyOf(SDL_Scancode scancode);

// The physical keys held, through the key map, as play/held_keys.h's snapshots.
class KeyboardSnapshot {
public:
    KeyboardSnapshot() = default;
    explicit KeyboardSnapshot(KeyMap map) : map_(std::move(map)) {}

    // A key went down or up. The generic SHIFT, CONTROL and MENU codes follow their left and
    // right keys, as on Windows.
    void setKey(SDL_Scancode scancode, bool down);
    // Everything up at once: after focus moves away or a modal box ate the key releases.
    void releaseAll();
    // The codes the gamepads hold now (see gamepad.h); replaces the previous set.
    void setPadKeys(const std::bitset<256>& held);
    // The keys for the next logic tick; releases held back for it take effect afterwards.
    void takeSnapshot(uint8_t out[256]);
    const KeyMap& keyMap() const { return map_; }

private:
    std::bitset<256> heldCodes() const;

    KeyMap map_;
    std::bitset<SDL_NUM_SCANCODES> heldScancodes_;
    HeldKeys keys_;
};

}  // namespace vantrel
