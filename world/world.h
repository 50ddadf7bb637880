// All mutable simulation state in one trivially copyable record: a snapshot is a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "world/keys.h"
#include "world/random.h"
#include "world/sound_events.h"
#include "world/types.h"

namespace vantrel {

constexpr int GRID_SIZE = 100;
constexpr int GRID_SAMPLES = GRID_SIZE * GRID_SIZE;

struct World {
    Aircraft aircraft[MAX_AIRCRAFT];
    Projectile projectiles[MAX_PROJECTILES];
    Effect effects[MAX_EFFECTS];
    Vec3 lastTargetPos[MAX_AIRCRAFT];  // per pilot; never cleared between missions

    // Camera, moved once per mission tick; reset by resetMission.
    Vec3 cameraPos;
    float cameraPitch, cameraHeading, cameraRoll;

    int32_t playerIndex;
    int32_t tickCount;    // logic ticks; zeroed at asset load and by resetMission
    int32_t gameMode;     // GameMode
    int32_t flowCounter;  // highlighted mission on the menu, end countdown in a mission
    int32_t running;      // the main loop runs while nonzero
    uint32_t rngState;

    int8_t radarLong;    // F2 toggle
    int8_t cockpitView;  // F3 toggle
    int8_t mapShown;     // F4 held, set by the controls step
    uint8_t padding;

    SoundEvents sounds;  // this tick's; cleared by the program once played

    // The side of every slot as the mission placed it (0 = empty), for the debrief, which
    // must tell whose aircraft were lost after their side reads 0. Set by placeSituation.
    int8_t placedSide[MAX_AIRCRAFT];
    uint8_t placedSidePadding[2];

    KeyState input;
    uint8_t heightmap[GRID_SAMPLES];  // row-major, sample (c, r) at r * 100 + c
};

static_assert(std::is_trivially_copyable_v<World>, "a World snapshot must be a plain copy");
static_assert(sizeof(World) == sizeof(Aircraft) * MAX_AIRCRAFT + sizeof(Projectile) * MAX_PROJECTILES +
                                   sizeof(Effect) * MAX_EFFECTS + sizeof(Vec3) * (MAX_AIRCRAFT + 1) + 3 * 4 + 6 * 4 +
                                   4 + sizeof(SoundEvents) + MAX_AIRCRAFT + 2 + sizeof(KeyState) + GRID_SAMPLES,
              "World must have no hidden padding, so its bytes hash deterministically");

// Draws the next number 0..32767 from the world's generator.
inline int rnd(World& w) { return nextRandom(w.rngState); }

inline bool isAlive(const World& w, int index) { return w.aircraft[index].side != 0; }

// True for an index that names an aircraft slot; a target or player index outside 0..29
// (-1 = none) names no aircraft.
inline bool isAircraftSlot(int index) { return index >= 0 && index < MAX_AIRCRAFT; }

// The aircraft a slot index names, or nullptr.
inline Aircraft* aircraftInSlot(World& w, int index) { return isAircraftSlot(index) ? &w.aircraft[index] : nullptr; }
inline const Aircraft* aircraftInSlot(const World& w, int index) {
    return isAircraftSlot(index) ? &w.aircraft[index] : nullptr;
}

inline const AircraftType& typeOf(const Aircraft& a) { return AIRCRAFT_TYPES[a.type]; }

// FNV-1a over every byte of the world.
uint64_t hashWorld(const World& w);

}  // namespace vantrel
