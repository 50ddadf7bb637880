// All mutable simulation state in one trivially copyable record: a snapshot is a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "world/combat_events.h"
#include "world/keys.h"
#include "world/random.h"
#include "world/sound_events.h"
#include "world/types.h"

namespace vantrel {

constexpr int GRID_SIZE = 100;
constexpr int GRID_SAMPLES = GRID_SIZE * GRID_SIZE;

constexpr int MAX_SEATS = 16;

// One human's place in the World: the aircraft they fly, their view of it and what they hear.
// Seat 0 is the player's in a game for one; a network match seats up to MAX_SEATS humans.
struct Seat {
    int32_t slot;        // the aircraft flown; outside 0..29 none
    int8_t human;        // in a match, 1 while a human flies it (0: the computer does, or nobody sits)
    int8_t radarLong;    // F2 toggle
    int8_t cockpitView;  // F3 toggle
    int8_t mapShown;     // F4 held, set by the controls step

    // Camera, moved once per mission tick; reset by resetMission.
    Vec3 cameraPos;
    float cameraPitch, cameraHeading, cameraRoll;

    KeyState input;
    SoundEvents sounds;  // this tick's, heard from this seat's camera; cleared once played
};

struct World {
    Aircraft aircraft[MAX_AIRCRAFT];
    Projectile projectiles[MAX_PROJECTILES];
    Effect effects[MAX_EFFECTS];
    Vec3 lastTargetPos[MAX_AIRCRAFT];  // per pilot; never cleared between missions

    int32_t tickCount;    // logic ticks; zeroed at asset load and by resetMission
    int32_t gameMode;     // GameMode
    int32_t flowCounter;  // highlighted mission on the menu, end countdown in a mission
    int32_t running;      // the main loop runs while nonzero
    uint32_t rngState;

    int8_t matchPlay;    // 1 in a network match: several humans, no switching aircraft
    int8_t guardedSlot;  // the aircraft the mission asks its side to guard, -1 none; set by placeSituation
    uint8_t padding[2];

    // The side of every slot as the mission placed it (0 = empty), for the debrief, which
    // must tell whose aircraft were lost after their side reads 0. Set by placeSituation.
    int8_t placedSide[MAX_AIRCRAFT];
    uint8_t placedSidePadding[2];

    // What last took armor from each slot's aircraft, kept after it is destroyed so the end of
    // a mission can tell why. Cleared by resetMission.
    DamageRecord lastDamage[MAX_AIRCRAFT];
    CombatEvents combat;  // the latest mission tick's hits and losses

    Seat seats[MAX_SEATS];
    uint8_t heightmap[GRID_SAMPLES];  // row-major, sample (c, r) at r * 100 + c
};

static_assert(std::is_trivially_copyable_v<World>, "a World snapshot must be a plain copy");
static_assert(sizeof(Seat) == 4 + 4 + sizeof(Vec3) + 3 * 4 + sizeof(KeyState) + sizeof(SoundEvents),
              "Seat must have no hidden padding, so its bytes hash deterministically");
static_assert(sizeof(World) == sizeof(Aircraft) * MAX_AIRCRAFT + sizeof(Projectile) * MAX_PROJECTILES +
                                   sizeof(Effect) * MAX_EFFECTS + sizeof(Vec3) * MAX_AIRCRAFT + 5 * 4 + 4 +
                                   MAX_AIRCRAFT + 2 + sizeof(DamageRecord) * MAX_AIRCRAFT + sizeof(CombatEvents) +
                                   sizeof(Seat) * MAX_SEATS + GRID_SAMPLES,
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

// The seat of the player in a game for one, which also drives the title and the menu.
constexpr int PLAYER_SEAT = 0;

// Outside a match the player's seat is the only human one; in a match, those the match gave
// a human.
inline bool seatIsHuman(const World& w, int seat) {
    return w.matchPlay != 0 ? w.seats[seat].human != 0 : seat == PLAYER_SEAT;
}

// The seat has an aircraft of its own, flown now by its human or, while they are away, by the
// computer: the player's outside a match, each seat the match gave a slot in one.
inline bool seatHasAircraft(const World& w, int seat) {
    return w.matchPlay != 0 ? isAircraftSlot(w.seats[seat].slot) : seat == PLAYER_SEAT;
}

// The human seat flying this aircraft slot, or -1 when the computer flies it.
int humanSeatOf(const World& w, int slot);

// The slot of an aircraft of w's table.
inline int slotOf(const World& w, const Aircraft& a) { return static_cast<int>(&a - w.aircraft); }

// FNV-1a over every byte of the world.
uint64_t hashWorld(const World& w);

}  // namespace vantrel
