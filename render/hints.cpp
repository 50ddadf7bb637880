#include "render/hints.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "render/hints_layout.h"
#include "render/hud.h"
#include "render/hud_layout.h"
#include "render/view.h"

namespace vantrel::render {

namespace {

constexpr int NO_TEXTURE = -1;  // binds white, so a fan shows its vertex colours

constexpr uint32_t AMBER = 0xFFFFB000;
constexpr uint32_t NOTICE_HIT = 0x00FFFF50;   // alpha from the notice
constexpr uint32_t NOTICE_KILL = 0x00FF9020;  // alpha from the notice
constexpr uint32_t CARD_BACKGROUND = 0xB0000000;
constexpr uint32_t CARD_KEYS = 0xFFFFE080;
constexpr uint32_t CARD_ACTION = 0xFFFFFFFF;
constexpr uint32_t CARD_USED = 0x60FFFFFF;
constexpr uint32_t PROMPT = 0xB4FFFFFF;
constexpr uint32_t DATA_PROBLEM = 0xFFFF6060;
constexpr uint32_t FLASH_RED = 0x00FF0000;  // alpha from the flash

constexpr int PROMPT_RIGHT = 630, PROMPT_Y = 18;
constexpr int BANNER_Y = 60, BANNER_DETAIL_Y = 104;
constexpr int NOTICE_Y = 150;  // clear of the result line, which the last kill brings
constexpr int CAUTION_Y = 322;
constexpr int QUESTION_Y = 344;
constexpr int DATA_PROBLEM_Y = 450;
constexpr int OUTCOME_FIRST_Y = 272, OUTCOME_LINE_STEP = 22;  // under the debrief line

// The card: a dark box, keys on the left, what they do beside them, and a gamepad's controls on
// the right when one is plugged in; one 20-pixel row each.
struct CardColumns {
    int left, right;  // the box
    int keys, action, pad;
};
constexpr CardColumns KEYS_ONLY = {50, 590, 62, 330, 0};
constexpr CardColumns KEYS_AND_PAD = {12, 628, 20, 272, 494};
// A mission's first seconds: low on the right, over the ground, clear of the radar and of the
// warning line.
constexpr CardColumns MISSION_START = {130, 630, 140, 400, 0};
constexpr CardColumns MISSION_START_WITH_PAD = {130, 630, 138, 372, 572};
constexpr int CARD_ROW_STEP = 20;
constexpr int CARD_PADDING = 6;
constexpr int CARD_TOP_MENU = 64, CARD_TOP_PAUSED = 140;
constexpr int CARD_BOTTOM_MISSION = 464;

constexpr float POINTER_LENGTH = 18.0f;
constexpr float POINTER_LABEL_GAP = 4.0f;  // between the arrow's base and its distance
constexpr float POINTER_ABOVE_ENEMY = 10.0f;
constexpr int LABEL_HALF_WIDTH = 60, LABEL_HALF_HEIGHT = 10;

constexpr float FLASH_DEPTH = 36.0f;  // how far the red reaches in from each edge

void drawUntexturedFan(Device& device, const ScreenVertex* corners, int count) {
    device.bindTexture(NO_TEXTURE);
    device.drawScreenFan(corners, count);
}

void drawBox(Device& device, float x1, float y1, float x2, float y2, uint32_t colour) {
    const std::array<ScreenVertex, 4> corners = {{{x1, y1, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                                  {x1, y2, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                                  {x2, y2, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                                  {x2, y1, 0.0f, 1.0f, colour, 0.0f, 0.0f}}};
    drawUntexturedFan(device, corners.data(), static_cast<int>(corners.size()));
}

uint32_t withAlpha(uint32_t rgb, int alpha) { return (rgb & 0x00FFFFFFu) | (static_cast<uint32_t>(alpha) << 24); }

int cardTop(const Hints& hints) {
    if (hints.cardPlace == CardPlace::Menu) return CARD_TOP_MENU;
    if (hints.cardPlace == CardPlace::Paused) return CARD_TOP_PAUSED;
    return CARD_BOTTOM_MISSION - static_cast<int>(hints.card.size()) * CARD_ROW_STEP;
}

const CardColumns& cardColumns(const Hints& hints, bool withPad) {
    if (hints.cardPlace == CardPlace::Mission) return withPad ? MISSION_START_WITH_PAD : MISSION_START;
    return withPad ? KEYS_AND_PAD : KEYS_ONLY;
}

bool cardHasPad(const Hints& hints) {
    return std::any_of(hints.card.begin(), hints.card.end(), [](const ControlsCardRow& r) { return !r.pad.empty(); });
}

struct CardBox {
    int left, top, right, bottom;
};

CardBox cardBox(const Hints& hints) {
    const CardColumns& c = cardColumns(hints, cardHasPad(hints));
    const int top = cardTop(hints);
    return {c.left, top - CARD_PADDING, c.right,
            top + static_cast<int>(hints.card.size()) * CARD_ROW_STEP + CARD_PADDING};
}

void drawCard(Device& device, const Hints& hints) {
    if (hints.cardPlace == CardPlace::Hidden || hints.card.empty()) return;
    const bool withPad = cardHasPad(hints);
    const CardColumns& c = cardColumns(hints, withPad);
    const CardBox box = cardBox(hints);
    drawBox(device, static_cast<float>(box.left), static_cast<float>(box.top), static_cast<float>(box.right),
            static_cast<float>(box.bottom), CARD_BACKGROUND);
    int y = cardTop(hints);
    for (const ControlsCardRow& row : hints.card) {
        drawTextLeft(device, row.keys, c.keys, y, row.used ? CARD_USED : CARD_KEYS, FONT_SMALL);
        drawTextLeft(device, row.action, c.action, y, row.used ? CARD_USED : CARD_ACTION, FONT_SMALL);
        if (withPad) drawTextLeft(device, row.pad, c.pad, y, row.used ? CARD_USED : CARD_KEYS, FONT_SMALL);
        y += CARD_ROW_STEP;
    }
}

// A red glow along every edge of the picture, fading toward the middle.
void drawHitFlash(Device& device, int alpha) {
    if (alpha <= 0) return;
    const DesignExtent e = designExtent(device.layout());
    const uint32_t outer = withAlpha(FLASH_RED, alpha), inner = withAlpha(FLASH_RED, 0);
    const float d = FLASH_DEPTH;
    // Each band: two corners on the edge, two inside it.
    const std::array<std::array<ScreenPoint, 4>, 4> bands = {{
        {{{e.left, e.top}, {e.right, e.top}, {e.right - d, e.top + d}, {e.left + d, e.top + d}}},
        {{{e.left, e.bottom}, {e.right, e.bottom}, {e.right - d, e.bottom - d}, {e.left + d, e.bottom - d}}},
        {{{e.left, e.top}, {e.left, e.bottom}, {e.left + d, e.bottom - d}, {e.left + d, e.top + d}}},
        {{{e.right, e.top}, {e.right, e.bottom}, {e.right - d, e.bottom - d}, {e.right - d, e.top + d}}},
    }};
    for (const auto& band : bands) {
        std::array<ScreenVertex, 4> corners{};
        for (int i = 0; i < 4; ++i) corners[i] = {band[i].x, band[i].y, 0.0f, 1.0f, i < 2 ? outer : inner, 0.0f, 0.0f};
        drawUntexturedFan(device, corners.data(), static_cast<int>(corners.size()));
    }
}

// keepClearOf: a card the distance is not to cover, if any.
void drawEnemyPointer(Device& device, const World& scene, const std::optional<CardBox>& keepClearOf) {
    const std::optional<EnemyPointer> pointer = enemyPointer(scene, designExtent(device.layout()));
    if (!pointer) return;
    ScreenPoint tip = pointer->at;
    if (pointer->inView) tip.y -= POINTER_ABOVE_ENEMY;
    const std::array<ScreenVertex, 4> arrow = arrowCorners(tip, pointer->direction, POINTER_LENGTH, AMBER);
    drawUntexturedFan(device, arrow.data(), static_cast<int>(arrow.size()));
    // The distance sits behind the arrow, clear of it whichever way it points, inside the screen.
    const float ux = std::sin(pointer->direction), uy = -std::cos(pointer->direction);
    const float back =
        POINTER_LENGTH + POINTER_LABEL_GAP + std::fabs(ux) * LABEL_HALF_WIDTH + std::fabs(uy) * LABEL_HALF_HEIGHT;
    const int x = std::clamp(static_cast<int>(tip.x - ux * back), LABEL_HALF_WIDTH, SCREEN_WIDTH - LABEL_HALF_WIDTH);
    int y =
        std::clamp(static_cast<int>(tip.y - uy * back) - LABEL_HALF_HEIGHT, 0, SCREEN_HEIGHT - 2 * LABEL_HALF_HEIGHT);
    if (keepClearOf && x + LABEL_HALF_WIDTH > keepClearOf->left && x - LABEL_HALF_WIDTH < keepClearOf->right &&
        y + 2 * LABEL_HALF_HEIGHT > keepClearOf->top && y < keepClearOf->bottom)
        y = keepClearOf->top - 2 * LABEL_HALF_HEIGHT;
    drawOutlinedText(device, "ENEMY " + std::to_string(pointer->distance), x - LABEL_HALF_WIDTH, x + LABEL_HALF_WIDTH,
                     y, AMBER, FONT_SMALL);
}

void drawNotice(Device& device, const Hints& hints) {
    if (hints.notice.empty() || hints.noticeAlpha <= 0) return;
    const bool kill = hints.notice != "HIT";
    drawOutlinedCentredLine(device, hints.notice, NOTICE_Y,
                            withAlpha(kill ? NOTICE_KILL : NOTICE_HIT, hints.noticeAlpha),
                            kill ? FONT_LARGE : FONT_SMALL);
}

// Why the player's aircraft went down, and what became of the aircraft the mission guards.
void drawOutcomeLines(Device& device, const World& latest) {
    int y = OUTCOME_FIRST_Y;
    for (const std::string& line : {lossLine(latest), guardedLine(latest)}) {
        if (line.empty()) continue;
        drawOutlinedCentredLine(device, line, y, TEXT_RESULT_WHITE, FONT_SMALL);
        y += OUTCOME_LINE_STEP;
    }
}

void drawMissionHints(Device& device, const World& scene, const World& latest, const Hints& hints) {
    drawHitFlash(device, hints.hitFlashAlpha);
    const std::string caution = cautionLine(latest);
    // The first seconds' card gives way to a line that needs reading now, and lies under the way
    // to the enemy; the pause's card is over everything.
    const bool firstSecondsCard = hints.cardPlace == CardPlace::Mission;
    std::optional<CardBox> cardUnder;
    if (firstSecondsCard && caution.empty() && hints.question.empty() && !hints.card.empty()) {
        drawCard(device, hints);
        cardUnder = cardBox(hints);
    }
    if (viewerOf(latest).mapShown == 0) drawEnemyPointer(device, scene, cardUnder);
    drawNotice(device, hints);
    drawOutcomeLines(device, latest);
    if (!caution.empty()) drawOutlinedCentredLine(device, caution, CAUTION_Y, AMBER, FONT_SMALL);
    if (!hints.question.empty()) drawOutlinedCentredLine(device, hints.question, QUESTION_Y, TEXT_WHITE, FONT_SMALL);
    if (!hints.banner.empty()) {
        drawOutlinedCentredLine(device, hints.banner, BANNER_Y, TEXT_WHITE, FONT_LARGE);
        drawOutlinedCentredLine(device, hints.bannerDetail, BANNER_DETAIL_Y, TEXT_WHITE, FONT_SMALL);
    }
    if (!firstSecondsCard) drawCard(device, hints);
}

}  // namespace

void drawOwnMapMarker(Device& device, const World& w) {
    device.bindTexture(TEXTURE_ATLAS);
    const std::array<ScreenVertex, 4> corners = ownMapMarkerCorners(playerOf(w), 255, MAP_MARKER.size);
    device.drawScreenFan(corners.data(), static_cast<int>(corners.size()));
}

void drawHints(Device& device, const World& scene, const World& latest, const Hints& hints) {
    if (!hints.helpers && latest.gameMode != MODE_TITLE) return;
    switch (latest.gameMode) {
        case MODE_TITLE:
            if (!hints.dataProblem.empty())
                drawOutlinedCentredLine(device, hints.dataProblem, DATA_PROBLEM_Y, DATA_PROBLEM, FONT_SMALL);
            break;
        case MODE_SELECT:
            drawTextRight(device, hints.cardPrompt, PROMPT_RIGHT, PROMPT_Y, PROMPT, FONT_SMALL);
            drawCard(device, hints);
            break;
        case MODE_MISSION:
            drawMissionHints(device, scene, latest, hints);
            break;
        default:
            break;
    }
}

}  // namespace vantrel::render
