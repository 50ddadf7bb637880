#include "tools/vantrel-data/missions.h"

#include <cmath>
#include <span>
#include <string_view>

#include "tools/vantrel-data/bytes.h"
#include "world/situation.h"
#include "world/types.h"

namespace vantrel::data {

namespace {

constexpr int8_t BLUE = 1;  // the player's side in every mission
constexpr int8_t RED = 2;
constexpr float NORTH = 0.0f;  // headings: toward +z
constexpr float SOUTH = PI;
constexpr float EAST = HALF_PI;
constexpr float SOUTH_WEST = SOUTH + HALF_PI / 2.0f;

// A flight: `count` aircraft of one type in a wedge behind its leader at (x, y, z), file
// units (x and z are a quarter of world units, y is world height).
struct Flight {
    int8_t side, type, aiMode;
    int count;
    float x, y, z, heading;
    bool guarded = false;  // the flight's leader is the aircraft its side must guard
};

struct Mission {
    std::string_view title;           // kept in the 50-byte header
    std::string_view briefing;        // the objective, then who flies on which side
    std::span<const Flight> flights;  // the first aircraft of the first flight is the player
};

constexpr float WEDGE_SPACING = 2.5f;  // file units between neighbours in a wedge
constexpr float WEDGE_STEP_UP = 1.5f;  // world units each rank flies above the one ahead

// The player flies the first aircraft of each mission with the same kind of pilot, so the
// missions differ only in what they put around it. From a duel against a weaker type that
// banks slowly, through even fights with wingmen, to battles where the enemy has more
// aircraft. Each side starts out of the other's reach, so the player has a few seconds to
// find the enemy on the radar.
constexpr Flight DUEL[] = {
    {BLUE, 6, AI_EXPERT, 1, 0, 40, -55, NORTH},
    {RED, 2, AI_BANK, 1, 15, 42, 55, SOUTH},
};
constexpr Flight PATROL[] = {
    {BLUE, 6, AI_EXPERT, 1, 0, 40, -50, NORTH},
    {BLUE, 0, AI_BANK, 1, 4, 42, -54, NORTH},
    {RED, 1, AI_RUDDER, 1, 12, 44, 50, SOUTH},
    {RED, 4, AI_BANK, 1, 16, 46, 56, SOUTH},
};
// The heavy fighter leads the escort, and the enemy comes in from the north-east across its
// path: it meets the guarded aircraft before the player's nose, so a newcomer flying straight on
// has time to learn where the fight is.
constexpr Flight ESCORT[] = {
    {BLUE, 6, AI_EXPERT, 1, -20, 40, -10, EAST},    {BLUE, 5, AI_BANK, 1, -12, 36, -4, EAST, true},
    {BLUE, 0, AI_EXPERT, 1, -24, 44, -16, EAST},    {RED, 1, AI_BANK, 2, 30, 44, 30, SOUTH_WEST},
    {RED, 4, AI_RUDDER, 1, 36, 42, 34, SOUTH_WEST},
};
constexpr Flight VALLEY_RAID[] = {
    {BLUE, 6, AI_EXPERT, 1, -6, 42, -40, NORTH},  {BLUE, 0, AI_BANK, 3, 6, 45, -34, NORTH},
    {BLUE, 2, AI_RUDDER, 2, -18, 38, -36, NORTH}, {RED, 3, AI_RUDDER, 2, 0, 40, 30, SOUTH},
    {RED, 1, AI_RUDDER, 3, 12, 46, 28, SOUTH},    {RED, 4, AI_RUDDER, 3, -12, 43, 30, SOUTH},
};
constexpr Flight GRAND_BATTLE[] = {
    {BLUE, 6, AI_EXPERT, 1, -4, 44, -40, NORTH}, {BLUE, 0, AI_EXPERT, 2, -4, 44, -44, NORTH},
    {BLUE, 6, AI_EXPERT, 3, 10, 48, -35, NORTH}, {BLUE, 5, AI_BANK, 3, -17, 38, -34, NORTH},
    {BLUE, 2, AI_RUDDER, 3, 22, 40, -38, NORTH}, {BLUE, 0, AI_BANK, 2, -28, 46, -37, NORTH},
    {RED, 1, AI_BANK, 4, 0, 46, 33, SOUTH},      {RED, 3, AI_RUDDER, 3, -15, 40, 35, SOUTH},
    {RED, 4, AI_EXPERT, 4, 15, 44, 34, SOUTH},   {RED, 2, AI_RUDDER, 5, 28, 48, 37, SOUTH},
};

constexpr Mission MISSIONS[MISSION_COUNT] = {
    {"VANTREL 1: DUEL OVER THE RIVER",
     "Find the lone enemy fighter and shoot it down.\nYou fly alone against one slow, lightly armed enemy.\n", DUEL},
    {"VANTREL 2: MORNING PATROL",
     "Clear the sky of the enemy's morning patrol.\nYou and your wingman against two enemy fighters.\n", PATROL},
    {"VANTREL 3: CROSSWIND ESCORT",
     "Guard the heavy fighter flying east with you.\nThree of ours against three of theirs.\n", ESCORT},
    {"VANTREL 4: VALLEY RAID",
     "Break the enemy squadron guarding the valley.\nSix of ours against eight: stay with your wing.\n", VALLEY_RAID},
    {"VANTREL 5: THE GRAND BATTLE",
     "Win the grand battle: down every enemy aircraft.\nFourteen of ours against sixteen of theirs.\n", GRAND_BATTLE},
};

// Position of wedge member i: the leader first, then alternately right and left, each
// rank one spacing further back and a little higher.
SituationRecord wedgeMember(const Flight& f, int i) {
    const int rank = (i + 1) / 2;
    const float sideways = (i % 2 == 1 ? 1.0f : -1.0f) * rank * WEDGE_SPACING;
    const float back = rank * WEDGE_SPACING;
    const double s = std::sin(static_cast<double>(f.heading)), c = std::cos(static_cast<double>(f.heading));
    // Right of a heading h is (cos h, -sin h); behind is (-sin h, -cos h).
    const float x = static_cast<float>(f.x + sideways * c - back * s);
    const float z = static_cast<float>(f.z - sideways * s - back * c);
    return {x, f.y + rank * WEDGE_STEP_UP, z, f.heading, f.type, f.side, f.aiMode, f.guarded && i == 0};
}

void writeRecord(ByteWriter& w, const SituationRecord& r) {
    w.f32(r.x);
    w.f32(r.y);
    w.f32(r.z);
    w.f32(r.heading);
    w.i32(r.type);
    w.i32(r.side);
    w.i32(r.aiMode | (r.guarded ? 0x100 : 0));  // the guarded mark in the slot's second byte
}

}  // namespace

std::string missionBriefing(int number) { return std::string(MISSIONS[number - 1].briefing); }

std::vector<uint8_t> missionFile(int number) {
    const Mission& m = MISSIONS[number - 1];
    std::vector<SituationRecord> records;
    for (const Flight& f : m.flights)
        for (int i = 0; i < f.count; ++i) records.push_back(wedgeMember(f, i));
    ByteWriter w;
    w.text(std::string(m.title));
    w.zeros(SITUATION_HEADER_BYTES - m.title.size());
    w.i16(0);  // the player flies the first record
    w.i16(static_cast<int32_t>(records.size()));
    for (const SituationRecord& r : records) writeRecord(w, r);
    return w.bytes;
}

}  // namespace vantrel::data
