#include "render/lobby_screen.h"

#include <algorithm>

#include "render/hud.h"
#include "render/hud_layout.h"

namespace vantrel::render {

namespace {

constexpr int MARGIN = 10;
constexpr int JOIN_LINE_Y = 54;
constexpr int SIDES_Y = 92;
constexpr int PLAYERS_TOP = SIDES_Y + 28;
constexpr int PLAYER_ROW_STEP = 22;
constexpr int ROWS_PER_SIDE = 9;  // down to the briefing
constexpr int SIDE_COLUMN_X[2] = {MARGIN, 330};
constexpr int KEYS_LINE_Y = 446;
constexpr int BACKGROUND_ALPHA = 60;
constexpr uint32_t TEXT_FRIEND = 0xFF50E0FF;
constexpr uint32_t TEXT_ENEMY = 0xFFFF6060;
constexpr uint32_t AWAY_ALPHA = 0x78000000;

// "> ANN (HOST)": the arrow marks this player; an away player is dimmed.
std::string playerText(const LobbyPlayerLine& p) {
    return std::string(p.you ? "> " : "  ") + p.name + (p.host ? " (HOST)" : "") + (p.connected ? "" : " (AWAY)");
}

// One column a side, under its name in its colour; more than fit are counted.
void drawSide(Device& device, const LobbyScreen& lobby, bool friendSide) {
    const int x = SIDE_COLUMN_X[friendSide ? 0 : 1];
    const uint32_t colour = friendSide ? TEXT_FRIEND : TEXT_ENEMY;
    drawTextLeft(device, friendSide ? "FRIEND" : "ENEMY", x, SIDES_Y, colour, FONT_SMALL);
    int row = 0, more = 0;
    for (const LobbyPlayerLine& p : lobby.players) {
        if (p.friendSide != friendSide) continue;
        if (row == ROWS_PER_SIDE) {
            ++more;
            continue;
        }
        const uint32_t shade = p.connected ? colour : (colour & 0x00FFFFFF) | AWAY_ALPHA;
        drawTextLeft(device, playerText(p), x, PLAYERS_TOP + PLAYER_ROW_STEP * row++, shade, FONT_SMALL);
    }
    if (more > 0) {
        drawTextLeft(device, "  AND " + std::to_string(more) + " MORE", x, PLAYERS_TOP + PLAYER_ROW_STEP * row, colour,
                     FONT_SMALL);
    }
}

}  // namespace

void drawLobby(Device& device, const LobbyScreen& lobby, const std::vector<MissionBriefing>& briefings) {
    drawTitleBackground(device, BACKGROUND_ALPHA);
    drawTextLeft(device, lobby.heading, MARGIN, MARGIN, TEXT_WHITE, FONT_LARGE);
    drawTextLeft(device, lobby.joinLine, MARGIN, JOIN_LINE_Y, TEXT_WHITE, FONT_SMALL);
    drawSide(device, lobby, true);
    drawSide(device, lobby, false);
    if (lobby.mission >= 1 && lobby.mission <= static_cast<int>(briefings.size())) {
        drawBriefing(device, briefings[lobby.mission - 1]);
    }
    drawTextCentered(device, lobby.keysLine, 0, SCREEN_WIDTH, KEYS_LINE_Y, TEXT_WHITE, FONT_SMALL);
}

}  // namespace vantrel::render
