// A network match: several humans in one World, each in a seat flying an aircraft slot of the
// mission, every tick driven by the keys of every seat. The relay and every client run the
// same ticks with the same keys, so their Worlds stay equal byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

namespace vantrel {

// The keys a mission reads from one seat in a match, one bit a key: the controls, then the
// view keys (look back, radar range, view, map). What travels over the network each tick.
using SeatKeys = uint16_t;

SeatKeys packSeatKeys(const uint8_t snapshot[256]);
// Every key the bits name held (KEY_DOWN_BIT), every other key up.
void unpackSeatKeys(SeatKeys keys, uint8_t snapshot[256]);

// The aircraft slots a human may take in a mission once it is placed: the player's side with
// the player's own slot first, and every other side.
struct MissionSides {
    std::vector<int> playerSide, otherSide;
};
bool readMissionSides(const std::string& dataDir, int mission, MissionSides& out, std::string& error);

struct MatchSetup {
    int mission = 1;  // 1..MISSION_COUNT
    uint32_t seed = 1;
    int8_t seatSlot[MAX_SEATS];  // the aircraft slot each seat flies; outside 0..29 nobody sits there
};

// A fresh World for the match: the terrain, the mission placed and entered, every seat given
// a slot of the setup flown by its human. False with the reason when the data is refused.
bool startMatch(World& w, const std::string& dataDir, const MatchSetup& setup, std::string& error);

// From the next tick on a human flies slot from the seat (its camera starts behind that
// aircraft), or the computer flies the seat's aircraft while the seat waits for its human.
void seatHuman(World& w, int seat, int slot);
void releaseSeat(World& w, int seat);

// One 30 ms tick with every seat's keys, as snapshots or as they travel.
void runMatchTick(World& w, const uint8_t snapshots[MAX_SEATS][256]);
void matchTick(World& w, const SeatKeys keys[MAX_SEATS]);

// The end countdown ran out: the match is over for everyone at this tick.
inline bool matchEnded(const World& w) { return w.gameMode != MODE_MISSION; }

// The World as a seat sees it, for drawing and for the outcome: a copy with that seat in the
// player's place (and the player's seat in its place), so what reads the player's seat reads
// this one's camera, views, aircraft and sounds, and its own sun glare.
void viewFromSeat(const World& w, int seat, World& out);

}  // namespace vantrel
