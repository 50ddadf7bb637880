// Everything drawn in screen pixels: the title screen, the mission menu and the mission's
// head-up display. drawScene calls the one that belongs to the game mode; the mission's
// display comes after every world pass so that it lies on top.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "game/briefing.h"
#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

void drawTitleScreen(Device& device, const World& w);
// Only the title's blinking prompt, over the title the last frame drew; false when the picture
// does not hold that title, and drawTitleScreen must draw it whole.
bool redrawTitlePrompt(Device& device, const World& w);
// briefings[k - 1] tells about mission k; missing ones leave the space under the list empty.
void drawMissionMenu(Device& device, const World& w, const std::vector<MissionBriefing>& briefings = {});
// What the head-up display changes for a newcomer (with the hints on): the map shows the
// player's own aircraft as the radar's arrowhead turned to the heading, on top of every other
// marker, instead of the original's blinking side marker, and the debrief line counts the
// player's own kills.
enum class HudHints { Off, On };
void drawHud(Device& device, const World& w, HudHints hints = HudHints::Off);

// The title picture over the whole screen with a pixel of margin on every side.
void drawTitleBackground(Device& device, int alpha);
// A mission's title and briefing lines, centred under the menu's list.
void drawBriefing(Device& device, const MissionBriefing& b);

// The bound texture stretched over the rectangle; alpha 0..255 scales its opacity.
void drawScreenRect(Device& device, float x1, float y1, float x2, float y2, int alpha);
// One cell of the atlas (texture 4, which the caller binds), centred on (x, y).
void drawSprite(Device& device, float x, float y, int alpha, float size, uint8_t cell);

// Text clipped to a rectangle that reaches down to the bottom of the screen.
void drawTextLeft(Device& device, const std::string& text, int x, int y, uint32_t colour, int font);
void drawTextRight(Device& device, const std::string& text, int right, int y, uint32_t colour, int font);
void drawTextCentered(Device& device, const std::string& text, int left, int right, int y, uint32_t colour, int font);
// Centred between left and right with a one-pixel dark outline in the line's own alpha, which
// keeps it readable over cloud and snow; the second centres it across the screen.
void drawOutlinedText(Device& device, const std::string& text, int left, int right, int y, uint32_t colour, int font);
void drawOutlinedCentredLine(Device& device, const std::string& text, int y, uint32_t colour, int font);

// Heading-up radar of the player's surroundings; scale in world units per pixel.
void drawRadar(Device& device, const World& w, float cx, float cy, float scale);

}  // namespace vantrel::render
