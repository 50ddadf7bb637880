#include "render/frame.h"

#include "render/effects_draw.h"
#include "render/hud.h"
#include "render/scene.h"
#include "render/view.h"

namespace vantrel::render {

namespace {

constexpr uint32_t CLEAR_COLOUR = 0xFF1464FF;

// Sky, terrain, aircraft (the only lit pass), projectiles, effects, then the head-up display.
void drawMission(Device& device, const World& w) {
    drawSky(device, w);
    device.bindTexture(TERRAIN_TEXTURE);
    drawTerrain(device, w);
    device.setLighting(true);
    drawAircraft(device, w);
    device.setLighting(false);
    drawProjectiles(device, w);
    drawEffects(device, w);
    drawHud(device, w);
}

void drawScene(Device& device, const World& w) {
    switch (w.gameMode) {
        case MODE_TITLE:
            drawTitleScreen(device, w);
            break;
        case MODE_SELECT:
            drawSituationMenu(device, w);
            break;
        case MODE_MISSION:
            drawMission(device, w);
            break;
        default:
            break;  // any other mode shows only the clear colour
    }
}

}  // namespace

void renderFrame(Device& device, const World& w) {
    device.clear(CLEAR_COLOUR);
    device.setLighting(false);
    device.setProjection(projectionMatrix());
    setViewTransform(device, w);
    drawScene(device, w);
}

}  // namespace vantrel::render
