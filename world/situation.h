// Situation files (the missions) and the mission reset.
//
// File layout, little-endian: 50 header bytes (free text, unused), the player record index
// (i16), the record count (i16), then count records of 28 bytes: x, y, z, heading (f32 each;
// x and z are stored at a quarter of world scale), then type, side and aiMode, each in the
// first byte of a 4-byte slot. The second byte of the aiMode slot is 1 for the aircraft its
// side must guard (an escort mission), else 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

namespace vantrel {

constexpr int MISSION_COUNT = 5;  // the data directory's s1.au1 to s5.au1
constexpr int SITUATION_HEADER_BYTES = 50;
constexpr int SITUATION_RECORD_BYTES = 28;
constexpr float SITUATION_POSITION_SCALE = 4.0f;

struct SituationRecord {
    float x, y, z, heading;  // as stored in the file
    int8_t type, side, aiMode;
    bool guarded = false;
};

struct Situation {
    int16_t playerRecord = 0;
    std::vector<SituationRecord> records;
};

// Parses a whole file image. Refuses (false, with the reason in error) a file that ends
// before the records its header announces, a type byte outside 0..6, or a player record
// that would find no free slot.
bool parseSituation(const uint8_t* bytes, std::size_t size, Situation& out, std::string& error);

// Reads and parses a file; the error names the file.
bool loadSituation(const std::string& path, Situation& out, std::string& error);

// Empties the world for a new mission (aircraft, projectiles, effects, the damage records);
// every human seat's camera and views start afresh and its engine loop starts.
void resetMission(World& w);

// Places the records in order; the player's record sets the player seat's slot and the first
// guarded one the World's guardedSlot. Records beyond the free slots are dropped.
void placeSituation(World& w, const Situation& s);

// Loads, resets and places: what starting a mission does. On a refused file the world is
// left as it was and false is returned with the reason.
bool startSituation(World& w, const std::string& path, std::string& error);

// Puts a new aircraft in the first free slot; -1 (and nothing changed) when all are in use.
int spawnAircraft(World& w, float x, float y, float z, float heading, int8_t type, int8_t side, int8_t aiMode);

}  // namespace vantrel
