#include "game/flow.h"

#include "sim/ai.h"
#include "sim/camera.h"
#include "sim/controls.h"
#include "sim/effects.h"
#include "sim/flight.h"
#include "sim/projectiles.h"
#include "sim/targeting.h"
#include "world/situation.h"
#include "world/terrain.h"

namespace vantrel {

std::string situationPath(const std::string& dataDir, int n) { return dataDir + "/s" + std::to_string(n) + ".au1"; }

void loadWorldAssets(World& w, const std::string& dataDir) {
    w.tickCount = 0;
    loadHeightmap(w, dataDir + "/map1.hd");
    w.gameMode = MODE_TITLE;
}

void runMissionSteps(World& w) {
    updatePlayerControls(w);
    updateAiPilots(w);
    selectPlayerTarget(w);
    updateEffects(w);
    updateAircraft(w);
    updateProjectiles(w);
    updateCamera(w);
}

namespace {

// The title and the menu are the player's, in a game for one.
void updateTitle(World& w) {
    Seat& player = w.seats[PLAYER_SEAT];
    if (isPressed(player.input, VK_SPACE)) {
        w.gameMode = MODE_SELECT;
        w.flowCounter = 1;
        appendSoundPlay(player.sounds, SOUND_MENU_CONFIRM, MENU_VOLUME);
    }
    if (isPressed(player.input, VK_ESCAPE)) w.running = 0;
}

void updateMissionMenu(World& w, const std::string& dataDir, TickNotes& notes) {
    Seat& player = w.seats[PLAYER_SEAT];
    if (isPressed(player.input, VK_SPACE)) enterMission(w, situationPath(dataDir, w.flowCounter), notes.refusal);
    const bool previous = isPressed(player.input, VK_NUMPAD8);
    const bool next = isPressed(player.input, VK_NUMPAD5);
    if (previous && --w.flowCounter == 0) w.flowCounter = MISSION_COUNT;
    if (next && ++w.flowCounter == MISSION_COUNT + 1) w.flowCounter = 1;
    if (isPressed(player.input, VK_ESCAPE)) {
        w.gameMode = MODE_TITLE;
        appendSoundPlay(player.sounds, SOUND_MENU_CONFIRM, MENU_VOLUME);
    }
    if (previous || next) appendSoundPlay(player.sounds, SOUND_MENU_MOVE, MENU_VOLUME);
}

// Each human hears their own aircraft's engine.
void updateEngineSounds(World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (!seatIsHuman(w, seat)) continue;
        const Aircraft* a = aircraftInSlot(w, w.seats[seat].slot);
        const int level = a == nullptr || a->side == 0 ? 0 : static_cast<int>(a->speed * 50.0) + 60;
        appendSoundLoop(w.seats[seat].sounds, LOOP_LEVEL, level);
    }
}

void stopEngineSounds(World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat)) appendSoundLoop(w.seats[seat].sounds, LOOP_STOP, 0);
    }
}

// No seat has its aircraft in the air any more: a player away for a moment still has theirs.
bool everySeatIsDown(const World& w) {
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (!seatHasAircraft(w, seat)) continue;
        const Aircraft* a = aircraftInSlot(w, w.seats[seat].slot);
        if (a != nullptr && a->side != 0) return false;
    }
    return true;
}

// Mixed while two live aircraft belong to different sides.
bool sidesAreMixed(const World& w) {
    int reference = 0;
    for (const Aircraft& a : w.aircraft) {
        if (a.side == 0) continue;
        if (reference == 0) {
            reference = a.side;
        } else if (a.side != reference) {
            return true;
        }
    }
    return false;
}

void updateEndOfMission(World& w) {
    if (w.flowCounter == 0) {
        if (!sidesAreMixed(w) || everySeatIsDown(w)) w.flowCounter = END_COUNTDOWN_TICKS;
    } else if (w.flowCounter > 0) {
        if (--w.flowCounter <= 0) {
            stopEngineSounds(w);
            w.gameMode = MODE_TITLE;
        }
    }
}

}  // namespace

void updateMission(World& w) {
    clearCombatEvents(w.combat);
    runMissionSteps(w);
    updateEngineSounds(w);
    Seat& player = w.seats[PLAYER_SEAT];
    if (w.matchPlay == 0 && isPressed(player.input, VK_ESCAPE)) {
        appendSoundLoop(player.sounds, LOOP_STOP, 0);
        w.gameMode = MODE_TITLE;
    }
    updateEndOfMission(w);
}

bool enterMission(World& w, const std::string& situationFile, std::string& error) {
    if (!startSituation(w, situationFile, error)) return false;
    w.gameMode = MODE_MISSION;
    w.flowCounter = 0;
    appendSoundPlay(w.seats[PLAYER_SEAT].sounds, SOUND_MENU_CONFIRM, MENU_VOLUME);
    return true;
}

TickNotes updateGameFlow(World& w, const std::string& dataDir) {
    TickNotes notes;
    switch (w.gameMode) {
        case MODE_TITLE:
            updateTitle(w);
            break;
        case MODE_SELECT:
            updateMissionMenu(w, dataDir, notes);
            break;
        case MODE_MISSION:
            updateMission(w);
            break;
        default:
            break;
    }
    return notes;
}

TickNotes logicTick(World& w, const std::string& dataDir, const uint8_t snapshot[256]) {
    KeyState& keys = w.seats[PLAYER_SEAT].input;
    updateKeyState(keys, snapshot);
    const bool informationAsked = isPressed(keys, VK_RETURN);
    ++w.tickCount;
    TickNotes notes = updateGameFlow(w, dataDir);
    notes.informationAsked = informationAsked;
    return notes;
}

}  // namespace vantrel
