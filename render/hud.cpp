#include "render/hud.h"

#include "render/hints.h"
#include "render/hud_layout.h"
#include "render/view.h"
#include "world/situation.h"

namespace vantrel::render {

namespace {

constexpr int TEXT_MARGIN = 10;  // pixels from the left or top edge
constexpr int VERSION_RIGHT = 630;
constexpr int SITUATION_ROW_STEP = 50;  // situation k sits at y = 50 + 50 k
constexpr int WARNING_Y = 300;
constexpr int RESULT_Y = 200;
constexpr int DEBRIEF_Y = 248;  // under the 40-pixel result line
constexpr uint32_t OUTLINE_RGB = 0x00101418;
constexpr int LONG_X = 110;
constexpr int LONG_Y = 450;

constexpr int TITLE_ALPHA = 255;
constexpr int MENU_BACKGROUND_ALPHA = 60;
constexpr float SIGHT_X = 320.0f;
constexpr float SIGHT_Y_COCKPIT = 245.0f;
constexpr float SIGHT_Y_CHASE = 250.0f;

// The 200 x 200 map around the screen centre, its top and bottom swapped so +z points up.
constexpr float MAP_LEFT = 220.0f, MAP_TOP = 340.0f, MAP_RIGHT = 420.0f, MAP_BOTTOM = 140.0f;
constexpr int MAP_ALPHA = 120;

// Under the five mission lines: the highlighted mission's title, its briefing and a legend
// of the markers.
constexpr int BRIEFING_TITLE_Y = 352;
constexpr int BRIEFING_FIRST_LINE_Y = 378;
constexpr int BRIEFING_LINE_STEP = 22;
constexpr uint32_t TEXT_BRIEFING = 0xDCFFFFFF;
constexpr int LEGEND_Y = 440;  // text top; the markers are centred on the text
constexpr SpriteStyle LEGEND_MARKER = {40.0f, 255};
constexpr uint8_t CELL_FRIEND = 1, CELL_ENEMY = 2;  // the sides every mission of ours uses
struct LegendEntry {
    uint8_t cell;
    int x;  // marker centre; the label starts beside it
    const char* label;
};
constexpr LegendEntry LEGEND[] = {
    {CELL_PLAYER_MARKER, 200, "YOU"}, {CELL_FRIEND, 290, "FRIEND"}, {CELL_ENEMY, 410, "ENEMY"}};

void drawFan(Device& device, const std::array<ScreenVertex, 4>& corners) {
    device.drawScreenFan(corners.data(), static_cast<int>(corners.size()));
}

void drawStyledSprite(Device& device, ScreenPoint at, const SpriteStyle& style, uint8_t cell) {
    drawSprite(device, at.x, at.y, style.alpha, style.size, cell);
}

// What the title and the menu show unchanged from frame to frame; it fills the whole screen
// through a texture, so it is kept and copied back rather than drawn again.
enum StaticLayerKey : uint64_t { TITLE_LAYER = 1, MENU_LAYER = 2 };

void drawCentredLine(Device& device, const std::string& text, int y, uint32_t colour, int font) {
    drawTextCentered(device, text, 0, SCREEN_WIDTH, y, colour, font);
}

void drawLockOnBox(Device& device, const World& w) {
    if (!showsLockOn(w)) return;
    const Aircraft& target = w.aircraft[w.aircraft[viewerOf(w).slot].target];
    drawStyledSprite(device, worldToScreen(w, target.x, target.y, target.z), LOCK_ON_BOX, CELL_LOCK_ON);
}

void drawFullMap(Device& device, const World& w, HudHints hints) {
    device.bindTexture(TEXTURE_MAP);
    drawScreenRect(device, MAP_LEFT, MAP_TOP, MAP_RIGHT, MAP_BOTTOM, MAP_ALPHA);
    device.bindTexture(TEXTURE_ATLAS);
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const bool ownDrawnLast = hints == HudHints::On && slot == viewerOf(w).slot;
        if (ownDrawnLast || !showsMapMarker(w, slot)) continue;
        const Aircraft& a = w.aircraft[slot];
        drawStyledSprite(device, mapMarker(a), MAP_MARKER, static_cast<uint8_t>(a.side));
    }
    if (hints == HudHints::On && isAlive(w, viewerOf(w).slot)) drawOwnMapMarker(device, w);
}

void drawLegend(Device& device) {
    device.bindTexture(TEXTURE_ATLAS);
    const float markerY = LEGEND_Y + 10.0f;
    for (const LegendEntry& e : LEGEND) {
        drawStyledSprite(device, {static_cast<float>(e.x), markerY}, LEGEND_MARKER, e.cell);
    }
    for (const LegendEntry& e : LEGEND) drawTextLeft(device, e.label, e.x + 16, LEGEND_Y, TEXT_BRIEFING, FONT_SMALL);
}

}  // namespace

void drawTitleBackground(Device& device, int alpha) {
    device.bindTexture(TEXTURE_TITLE);
    drawScreenRect(device, -1.0f, -1.0f, SCREEN_WIDTH + 1.0f, SCREEN_HEIGHT + 1.0f, alpha);
}

void drawBriefing(Device& device, const MissionBriefing& b) {
    drawCentredLine(device, b.title, BRIEFING_TITLE_Y, TEXT_WHITE, FONT_SMALL);
    int y = BRIEFING_FIRST_LINE_Y;
    for (const std::string& line : b.lines) {
        drawCentredLine(device, line, y, TEXT_BRIEFING, FONT_SMALL);
        y += BRIEFING_LINE_STEP;
    }
}

void drawScreenRect(Device& device, float x1, float y1, float x2, float y2, int alpha) {
    drawFan(device, screenRectCorners(x1, y1, x2, y2, alpha));
}

void drawSprite(Device& device, float x, float y, int alpha, float size, uint8_t cell) {
    drawFan(device, spriteCorners(x, y, alpha, size, cell));
}

void drawTextLeft(Device& device, const std::string& text, int x, int y, uint32_t colour, int font) {
    device.drawText(font, text, x, y, SCREEN_WIDTH, SCREEN_HEIGHT, TextAlign::Left, colour);
}

void drawTextRight(Device& device, const std::string& text, int right, int y, uint32_t colour, int font) {
    device.drawText(font, text, 0, y, right, SCREEN_HEIGHT, TextAlign::Right, colour);
}

void drawTextCentered(Device& device, const std::string& text, int left, int right, int y, uint32_t colour, int font) {
    device.drawText(font, text, left, y, right, SCREEN_HEIGHT, TextAlign::Center, colour);
}

void drawOutlinedText(Device& device, const std::string& text, int left, int right, int y, uint32_t colour, int font) {
    const uint32_t outline = (colour & 0xFF000000u) | OUTLINE_RGB;
    constexpr int OFFSETS[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& [dx, dy] : OFFSETS) drawTextCentered(device, text, left + dx, right + dx, y + dy, outline, font);
    drawTextCentered(device, text, left, right, y, colour, font);
}

void drawOutlinedCentredLine(Device& device, const std::string& text, int y, uint32_t colour, int font) {
    drawOutlinedText(device, text, 0, SCREEN_WIDTH, y, colour, font);
}

void drawRadar(Device& device, const World& w, float cx, float cy, float scale) {
    drawSprite(device, cx, cy, RADAR_BACKGROUND.alpha, RADAR_BACKGROUND.size, CELL_RADAR);
    const Aircraft& p = w.aircraft[viewerOf(w).slot];
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const Aircraft& a = w.aircraft[slot];
        if (a.side == 0 || slot == viewerOf(w).slot) continue;
        if (const auto at = radarMarker(p, a, cx, cy, scale)) {
            drawStyledSprite(device, *at, RADAR_MARKER, static_cast<uint8_t>(a.side));
        }
    }
    drawStyledSprite(device, {cx, cy}, RADAR_MARKER, CELL_PLAYER_MARKER);
}

namespace {

// The blinking prompt: the one part of the title that changes from tick to tick, drawn within
// its own box so that only the box need be drawn again. The box reaches a quarter of a line
// past the text, for a last glyph that overhangs its advance.
constexpr const char* PROMPT = "PUSH SPACE KEY";
constexpr int PROMPT_BOTTOM = TEXT_MARGIN + FONT_PIXEL_HEIGHTS[FONT_LARGE];

int promptRight(const Device& device) {
    return TEXT_MARGIN + device.textWidth(FONT_LARGE, PROMPT) + FONT_PIXEL_HEIGHTS[FONT_LARGE] / 4;
}

void drawPrompt(Device& device, const World& w) {
    device.drawText(FONT_LARGE, PROMPT, TEXT_MARGIN, TEXT_MARGIN, promptRight(device), PROMPT_BOTTOM, TextAlign::Left,
                    whiteWithAlpha(pushSpaceAlpha(w.tickCount)));
}

}  // namespace

void drawTitleScreen(Device& device, const World& w) {
    device.drawStaticLayer(TITLE_LAYER, [&] {
        drawTitleBackground(device, TITLE_ALPHA);
        drawTextRight(device, std::string("version ") + VANTREL_VERSION, VERSION_RIGHT, TEXT_MARGIN, TEXT_WHITE,
                      FONT_SMALL);
    });
    drawPrompt(device, w);
}

bool redrawTitlePrompt(Device& device, const World& w) {
    if (!device.restoreStaticLayer(TITLE_LAYER, TEXT_MARGIN, TEXT_MARGIN, promptRight(device), PROMPT_BOTTOM))
        return false;
    drawPrompt(device, w);
    return true;
}

void drawMissionMenu(Device& device, const World& w, const std::vector<MissionBriefing>& briefings) {
    device.drawStaticLayer(MENU_LAYER, [&] {
        drawTitleBackground(device, MENU_BACKGROUND_ALPHA);
        drawTextLeft(device, "SELECT SITUATION", TEXT_MARGIN, TEXT_MARGIN, TEXT_WHITE, FONT_LARGE);
    });
    for (int k = 1; k <= MISSION_COUNT; ++k) {
        const uint32_t colour = w.flowCounter == k ? TEXT_WHITE : TEXT_DIM_WHITE;
        drawCentredLine(device, "SITUATION " + std::to_string(k), SITUATION_ROW_STEP + SITUATION_ROW_STEP * k, colour,
                        FONT_LARGE);
    }
    if (w.flowCounter >= 1 && static_cast<size_t>(w.flowCounter) <= briefings.size()) {
        drawBriefing(device, briefings[w.flowCounter - 1]);
    }
    drawLegend(device);
}

void drawHud(Device& device, const World& w, HudHints hints) {
    drawTextLeft(device, instrumentLine(w), TEXT_MARGIN, TEXT_MARGIN, TEXT_GREEN, FONT_SMALL);
    device.bindTexture(TEXTURE_ATLAS);
    drawStyledSprite(device, {SIGHT_X, viewerOf(w).cockpitView != 0 ? SIGHT_Y_COCKPIT : SIGHT_Y_CHASE}, GUN_SIGHT,
                     CELL_GUN_SIGHT);
    drawLockOnBox(device, w);
    if (const std::string warning = warningLine(w); !warning.empty()) {
        drawOutlinedCentredLine(device, warning, WARNING_Y, TEXT_WARNING_RED, FONT_SMALL);
    }
    drawRadar(device, w, RADAR_X, RADAR_Y, radarScale(w));
    if (viewerOf(w).radarLong != 0) drawTextLeft(device, "LONG", LONG_X, LONG_Y, TEXT_GREEN, FONT_SMALL);
    if (const std::string result = missionResult(w); !result.empty()) {
        drawOutlinedCentredLine(device, result, RESULT_Y, TEXT_RESULT_WHITE, FONT_LARGE);
        drawOutlinedCentredLine(device, debriefLine(w, hints == HudHints::On), DEBRIEF_Y, TEXT_RESULT_WHITE,
                                FONT_SMALL);
    }
    if (viewerOf(w).mapShown != 0) drawFullMap(device, w, hints);
}

}  // namespace vantrel::render
