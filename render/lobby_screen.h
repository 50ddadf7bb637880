// The lobby of a network game: drawn instead of the menu while the players gather, and between
// the missions they fly together. The program fills the screen's record from the relay's news.
#pragma once

#include <string>
#include <vector>

#include "game/briefing.h"
#include "render/device.h"

namespace vantrel::render {

struct LobbyPlayerLine {
    std::string name;  // printable already: the program escapes what others typed
    bool friendSide;   // on the mission's FRIEND side (the player's aircraft's), else ENEMY
    bool you, host, connected;
};

struct LobbyScreen {
    std::string heading;   // e.g. "NETWORK GAME K7QD" or "CONNECTING"
    std::string joinLine;  // how others join, or why nobody can yet
    int mission = 1;       // picked by the host, 1..5: its briefing shows
    std::vector<LobbyPlayerLine> players;
    std::string keysLine;  // what this player's keys do here
};

// briefings[k - 1] tells about mission k, as on the menu.
void drawLobby(Device& device, const LobbyScreen& lobby, const std::vector<MissionBriefing>& briefings);

}  // namespace vantrel::render
