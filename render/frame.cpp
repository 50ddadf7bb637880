#include "render/frame.h"

#include "render/effects_draw.h"
#include "render/hud.h"
#include "render/hud_layout.h"
#include "render/scene.h"
#include "render/view.h"

namespace vantrel::render {

namespace {

constexpr uint32_t CLEAR_COLOUR = 0xFF1464FF;
constexpr uint32_t MARGIN_COLOUR = 0xFF000000;  // beside the title and menu on wide screens

// Sky, terrain, aircraft (the only lit pass), projectiles, effects, then the head-up display.
void drawMission(Device& device, const World& w, const World& latest, HudHints hints) {
    device.releaseTexture(TEXTURE_TITLE);  // only the title and the menu show it
    drawSkyAndTerrain(device, w);
    device.setLighting(true);
    drawAircraft(device, w);
    device.setLighting(false);
    drawProjectiles(device, w);
    drawEffects(device, w);
    drawHud(device, latest, hints);
}

void drawScene(Device& device, const World& w, const World& latest, const std::vector<MissionBriefing>& briefings,
               const Hints* hints) {
    switch (latest.gameMode) {
        case MODE_TITLE:
            device.clearMargins(MARGIN_COLOUR);
            drawTitleScreen(device, latest);
            break;
        case MODE_SELECT:
            device.clearMargins(MARGIN_COLOUR);
            drawMissionMenu(device, latest, briefings);
            break;
        case MODE_MISSION:
            drawMission(device, w, latest, hints && hints->helpers ? HudHints::On : HudHints::Off);
            break;
        default:
            break;  // any other mode shows only the clear colour
    }
}

}  // namespace

// Mirrors what drawScene reads for each mode: the prompt's blink on the title, the highlighted
// row (and with it the briefing) on the menu.
std::optional<uint64_t> stillFrameKey(const World& latest) {
    const uint64_t mode = uint64_t{static_cast<uint32_t>(latest.gameMode)} << 32;
    switch (latest.gameMode) {
        case MODE_TITLE:
            return mode | static_cast<uint32_t>(pushSpaceAlpha(latest.tickCount));
        case MODE_SELECT:
            return mode | static_cast<uint32_t>(latest.flowCounter);
        case MODE_MISSION:
            return std::nullopt;
        default:
            return mode;
    }
}

void renderFrame(Device& device, const World& w, const std::vector<MissionBriefing>& briefings, const Hints* hints) {
    renderFrame(device, w, w, briefings, hints);
}

void renderFrame(Device& device, const World& scene, const World& latest, const std::vector<MissionBriefing>& briefings,
                 const Hints* hints) {
    device.beginFrame();
    device.clear(CLEAR_COLOUR);
    device.setLighting(false);
    device.setProjection(projectionMatrix(device.layout().aspect()));
    setViewTransform(device, scene);
    drawScene(device, scene, latest, briefings, hints);
    if (hints) drawHints(device, scene, latest, *hints);
}

}  // namespace vantrel::render
