#include "render/lobby_screen.h"

#include <algorithm>

#include "render/hud.h"
#include "render/hud_layout.h"

namespace vantrel::render {

namespace {

constexpr int MARGIN = 10;
constexpr int JOIN_LINE_Y = 54;
constexpr int LIST_TOP = 90;
constexpr int MISSION_ROW_STEP = 26;
constexpr int SIDES_Y = LIST_TOP;
constexpr int PLAYERS_TOP = LIST_TOP + 28;
constexpr int PLAYER_ROW_STEP = 24;
constexpr int PLAYERS_PER_COLUMN = 8;
constexpr int PLAYER_COLUMN_X[2] = {330, 485};
constexpr int KEYS_LINE_Y = 446;
constexpr int BACKGROUND_ALPHA = 60;
constexpr uint32_t TEXT_FRIEND = 0xFF50E0FF;
constexpr uint32_t TEXT_ENEMY = 0xFFFF6060;
constexpr uint32_t AWAY_ALPHA = 0x78000000;

uint32_t playerColour(const LobbyPlayerLine& p) {
    const uint32_t colour = p.friendSide ? TEXT_FRIEND : TEXT_ENEMY;
    return p.connected ? colour : (colour & 0x00FFFFFF) | AWAY_ALPHA;
}

// "> ANN *": the arrow marks this player, the star the host.
std::string playerText(const LobbyPlayerLine& p) {
    return std::string(p.you ? "> " : "  ") + p.name + (p.host ? " *" : "");
}

void drawMissions(Device& device, const LobbyScreen& lobby, const std::vector<MissionBriefing>& briefings) {
    for (int k = 1; k <= static_cast<int>(briefings.size()); ++k) {
        const std::string& title = briefings[k - 1].title;
        const std::string line = std::to_string(k) + " " + (title.empty() ? "SITUATION " + std::to_string(k) : title);
        drawTextLeft(device, line, MARGIN, LIST_TOP + MISSION_ROW_STEP * (k - 1),
                     k == lobby.mission ? TEXT_WHITE : TEXT_DIM_WHITE, FONT_SMALL);
    }
}

// The two sides' colours named above the players.
void drawPlayers(Device& device, const LobbyScreen& lobby) {
    drawTextLeft(device, "FRIEND", PLAYER_COLUMN_X[0], SIDES_Y, TEXT_FRIEND, FONT_SMALL);
    drawTextLeft(device, "ENEMY", PLAYER_COLUMN_X[1], SIDES_Y, TEXT_ENEMY, FONT_SMALL);
    const int shown = std::min<int>(static_cast<int>(lobby.players.size()), 2 * PLAYERS_PER_COLUMN);
    for (int i = 0; i < shown; ++i) {
        const LobbyPlayerLine& p = lobby.players[i];
        drawTextLeft(device, playerText(p), PLAYER_COLUMN_X[i / PLAYERS_PER_COLUMN],
                     PLAYERS_TOP + PLAYER_ROW_STEP * (i % PLAYERS_PER_COLUMN), playerColour(p), FONT_SMALL);
    }
}

}  // namespace

void drawLobby(Device& device, const LobbyScreen& lobby, const std::vector<MissionBriefing>& briefings) {
    drawTitleBackground(device, BACKGROUND_ALPHA);
    drawTextLeft(device, lobby.heading, MARGIN, MARGIN, TEXT_WHITE, FONT_LARGE);
    drawTextLeft(device, lobby.joinLine, MARGIN, JOIN_LINE_Y, TEXT_WHITE, FONT_SMALL);
    drawMissions(device, lobby, briefings);
    drawPlayers(device, lobby);
    if (lobby.mission >= 1 && lobby.mission <= static_cast<int>(briefings.size())) {
        drawBriefing(device, briefings[lobby.mission - 1]);
    }
    drawTextCentered(device, lobby.keysLine, 0, SCREEN_WIDTH, KEYS_LINE_Y, TEXT_WHITE, FONT_SMALL);
}

}  // namespace vantrel::render
