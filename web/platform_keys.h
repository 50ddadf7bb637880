// The browser's keyboard: KeyboardEvent.code names a physical key whatever the layout and
// Num Lock say, as SDL's scancodes do on the desktop, and sets the same virtual-key codes as
// the desktop's default key map (both sets: keypad and letters, arrows with comma and full
// stop). There is no keys.conf in the browser.
#pragma once

#include <bitset>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "play/held_keys.h"

namespace vantrel::web {

// The virtual-key codes a key sets while held: its own code when that is not one of the game
// actions' codes (those come only from the bindings), plus the codes of the actions bound to
// it. None for a key the game has no code for.
std::bitset<256> codesOfKey(std::string_view domCode);

// The names of the keys that set an action's code, as the desktop names them ("Keypad 8", "Up");
// empty for a code no action has.
std::vector<std::string> keyNamesOf(uint8_t code);

// Whether a key is one the game reads, so the page must not act on it (scroll, find, help).
bool isGameKey(std::string_view domCode);

// The keys held in the page, as play/held_keys.h's snapshots.
class BrowserKeyboard {
public:
    // A key event; repeats of a held key change nothing.
    void setKey(std::string_view domCode, bool down);
    void setPadKeys(const std::bitset<256>& held) { keys_.setPadKeys(held); }
    void releaseAll();
    void takeSnapshot(uint8_t out[256]);

private:
    std::set<std::string, std::less<>> held_;
    HeldKeys keys_;
};

}  // namespace vantrel::web
