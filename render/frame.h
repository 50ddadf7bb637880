// One frame of the game: the picture fitted to the window, clear, per-frame states, projection,
// view, and the scene of the current game mode. Reads the world, never writes it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "game/briefing.h"
#include "render/device.h"
#include "render/hints.h"
#include "render/lobby_screen.h"
#include "world/world.h"

namespace vantrel::render {

// What the program draws around the game's own picture; none of it is in the World.
struct FrameExtras {
    const Hints* hints = nullptr;        // what is drawn for a newcomer over it all; none for the original
    const LobbyScreen* lobby = nullptr;  // a network game's lobby, drawn instead of the World's screen
    std::string menuLine;                // at the menu's top right: how to host or join, or an address typed
    std::vector<std::string> notices;    // network news under a mission's instruments, newest last
};

void renderFrame(Device& device, const World& w, const std::vector<MissionBriefing>& briefings = {},
                 const FrameExtras& extras = {});
// The camera and the world's passes from scene (a World blended between two ticks), the
// head-up display, title and menu from latest, the World of the last tick. briefings: what the
// mission menu shows about each mission (mission k at k - 1).
void renderFrame(Device& device, const World& scene, const World& latest,
                 const std::vector<MissionBriefing>& briefings = {}, const FrameExtras& extras = {});

// What a frame of the title, the menu or another still screen shows, as a number: two frames
// of the same picture size and the same number are the same picture, so the second need not be
// drawn. None for a mission, whose frames follow the camera.
std::optional<uint64_t> stillFrameKey(const World& latest);

}  // namespace vantrel::render
