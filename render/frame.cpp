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
constexpr int MENU_LINE_RIGHT = 630;
constexpr int MENU_LINE_Y = 62;  // between the heading and the first mission
constexpr int NOTICE_LEFT = 10;
constexpr int NOTICE_TOP = 40;  // under the instruments
constexpr int NOTICE_STEP = 22;
constexpr int TITLE_NOTICE_Y = 448;

void drawNotices(Device& device, const std::vector<std::string>& notices) {
    int y = NOTICE_TOP;
    for (const std::string& line : notices) {
        drawTextLeft(device, line, NOTICE_LEFT, y, TEXT_WHITE, FONT_SMALL);
        y += NOTICE_STEP;
    }
}

// The title's picture leaves its foot free for a line.
void drawTitleNotice(Device& device, const std::vector<std::string>& notices) {
    if (!notices.empty())
        drawTextCentered(device, notices.back(), 0, SCREEN_WIDTH, TITLE_NOTICE_Y, TEXT_WHITE, FONT_SMALL);
}

// Sky, terrain, aircraft (the only lit pass), projectiles, effects, then the head-up display.
void drawMission(Device& device, const World& w, const World& latest, const FrameExtras& extras) {
    device.releaseTexture(TEXTURE_TITLE);  // only the title and the menu show it
    device.drawWorldView([&] {
        drawSkyAndTerrain(device, w);
        device.setLighting(true);
        drawAircraft(device, w);
        device.setLighting(false);
        drawProjectiles(device, w);
        drawEffects(device, w);
    });
    drawHud(device, latest, extras.hints && extras.hints->helpers ? HudHints::On : HudHints::Off);
    drawNotices(device, extras.notices);
}

void drawScene(Device& device, const World& w, const World& latest, const std::vector<MissionBriefing>& briefings,
               const FrameExtras& extras) {
    if (extras.lobby != nullptr) {
        device.clearMargins(MARGIN_COLOUR);
        drawLobby(device, *extras.lobby, briefings);
        return;
    }
    switch (latest.gameMode) {
        case MODE_TITLE:
            device.clearMargins(MARGIN_COLOUR);
            drawTitleScreen(device, latest);
            drawTitleNotice(device, extras.notices);
            break;
        case MODE_SELECT:
            device.clearMargins(MARGIN_COLOUR);
            drawMissionMenu(device, latest, briefings);
            // The held controls card would cover the line but for its ends.
            if (!(extras.hints && extras.hints->cardPlace == CardPlace::Menu))
                drawTextRight(device, extras.menuLine, MENU_LINE_RIGHT, MENU_LINE_Y, TEXT_WHITE, FONT_SMALL);
            break;
        case MODE_MISSION:
            drawMission(device, w, latest, extras);
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

void renderFrame(Device& device, const World& w, const std::vector<MissionBriefing>& briefings,
                 const FrameExtras& extras) {
    renderFrame(device, w, w, briefings, extras);
}

void renderFrame(Device& device, const World& scene, const World& latest, const std::vector<MissionBriefing>& briefings,
                 const FrameExtras& extras) {
    device.beginFrame();
    // The title at rest changes only in its prompt: the rest of the picture stays as it was.
    if (latest.gameMode == MODE_TITLE && redrawTitlePrompt(device, latest)) return;
    device.clear(CLEAR_COLOUR);
    device.setLighting(false);
    device.setProjection(projectionMatrix(device.layout().aspect()));
    setViewTransform(device, scene);
    drawScene(device, scene, latest, briefings, extras);
    if (extras.hints && !extras.lobby) drawHints(device, scene, latest, *extras.hints);
}

}  // namespace vantrel::render
