// The hints drawn around the game's picture for a newcomer: the controls card, a pointer to the
// nearest enemy, notices of hits and kills, a red edge when the player is hit, cautions, what
// pause and the leave confirmation say, and a data problem on the title. What the program
// decides (play/hints.h) arrives in a Hints; what follows from the World alone (the pointer, the
// cautions, the player's own marker on the map) is worked out here. Without a Hints nothing of
// this is drawn and the picture is the original one.
#pragma once

#include <string>
#include <vector>

#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

struct ControlsCardRow {
    std::string keys;    // "Keypad 8/5, Up/Down"
    std::string action;  // "NOSE DOWN / UP"
    std::string pad;     // the gamepad's control, when one is plugged in
    bool used = false;   // dimmed: the player has used it in this mission
};

enum class CardPlace {
    Hidden,
    Menu,     // the whole card over the situation menu
    Mission,  // the first flying keys, low on the screen in a mission's first seconds
    Paused,   // the whole card under the pause banner
};

struct Hints {
    // The helpers a player can turn off (--hints off): without them only a data problem shows.
    bool helpers = false;
    std::vector<ControlsCardRow> card;  // the rows the place shows
    CardPlace cardPlace = CardPlace::Hidden;
    std::string cardPrompt;  // on the menu, how to see the card

    std::string banner;        // large in the middle, such as "PAUSED"
    std::string bannerDetail;  // the line under the banner
    std::string question;      // "PRESS ESCAPE AGAIN TO LEAVE"
    std::string notice;        // "HIT", "ENEMY DOWN"
    int noticeAlpha = 0;       // 0..255
    int hitFlashAlpha = 0;     // 0..255, the red edge
    std::string dataProblem;   // one line on the title screen
};

// Draws the hints of the latest World's game mode. scene is the World the frame's camera and
// aircraft come from (blended between ticks), which the enemy pointer follows.
void drawHints(Device& device, const World& scene, const World& latest, const Hints& hints);

// The player's marker on the map, on top of every other marker.
void drawOwnMapMarker(Device& device, const World& w);

}  // namespace vantrel::render
