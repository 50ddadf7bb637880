// What befell the aircraft during a mission tick: hits and losses, with the aircraft that caused
// them, so the program can tell each player about a hit, a kill or why their aircraft was lost.
// The mission tick empties the table as it starts and the simulation appends as things happen;
// the program reads it after the tick. Nothing in the simulation reads it back.
#pragma once

#include <cstdint>

namespace vantrel {

// What last took armor from an aircraft. The weapons come first, numbered as their row of
// WEAPON_TYPES plus one.
enum DamageCause : uint8_t {
    DAMAGE_NONE = 0,
    DAMAGE_GUN = 1,
    DAMAGE_ROCKET = 2,
    DAMAGE_MISSILE = 3,
    DAMAGE_GROUND = 4,     // scraped along the terrain
    DAMAGE_STALL = 5,      // met the terrain while too slow to fly
    DAMAGE_COLLISION = 6,  // touched another aircraft
};

inline DamageCause weaponDamage(int weapon) { return static_cast<DamageCause>(weapon + 1); }
inline bool isWeaponDamage(int cause) { return cause >= DAMAGE_GUN && cause <= DAMAGE_MISSILE; }

constexpr int8_t NO_AIRCRAFT = -1;

// The latest damage an aircraft took (cause), and the aircraft slot that last hit it (NO_AIRCRAFT
// before any aircraft did).
struct DamageRecord {
    int8_t by;
    uint8_t cause;  // DamageCause
};
static_assert(sizeof(DamageRecord) == 2, "DamageRecord must have no hidden padding");

enum CombatEventKind : uint8_t {
    COMBAT_HIT = 1,     // a weapon or a collision took armor
    COMBAT_DOWNED = 2,  // the aircraft was destroyed; by and cause are the damage that did it
};

struct CombatEvent {
    uint8_t kind;  // CombatEventKind
    int8_t victim;
    int8_t by;
    uint8_t cause;  // DamageCause
};

// Thirty aircraft hit twice each in one tick would be a rare tick; the table then counts what it
// had to leave out.
constexpr int MAX_COMBAT_EVENTS = 48;

struct CombatEvents {
    CombatEvent events[MAX_COMBAT_EVENTS];
    int32_t count;
    int32_t dropped;  // events refused since the last clear because the table was full
};
static_assert(sizeof(CombatEvents) == MAX_COMBAT_EVENTS * 4 + 8, "CombatEvents must have no hidden padding");

void appendCombatEvent(CombatEvents& t, const CombatEvent& e);
void clearCombatEvents(CombatEvents& t);

}  // namespace vantrel
