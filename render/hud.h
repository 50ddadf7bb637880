// Everything drawn in screen pixels: the title screen, the situation menu and the mission's
// head-up display. drawScene calls the one that belongs to the game mode.
#pragma once

#include "render/device.h"
#include "world/world.h"

namespace vantrel::render {

void drawTitleScreen(Device& device, const World& w);
void drawSituationMenu(Device& device, const World& w);
void drawHud(Device& device, const World& w);

}  // namespace vantrel::render
