#include "world/situation.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace vantrel {

namespace {

int16_t readI16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

float readF32(const uint8_t* p) {
    const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                          (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

SituationRecord readRecord(const uint8_t* p) {
    return SituationRecord{readF32(p),
                           readF32(p + 4),
                           readF32(p + 8),
                           readF32(p + 12),
                           static_cast<int8_t>(p[16]),
                           static_cast<int8_t>(p[20]),
                           static_cast<int8_t>(p[24]),
                           p[25] == 1};
}

// The slots the player's record and the first guarded record got: -1 when the table was full,
// -2 when there is no such record.
struct PlacedSlots {
    int player = -2, guarded = -2;
};

PlacedSlots placeRecords(World& w, const Situation& s) {
    PlacedSlots placed;
    for (std::size_t i = 0; i < s.records.size(); ++i) {
        const SituationRecord& r = s.records[i];
        const int slot = spawnAircraft(w, r.x * SITUATION_POSITION_SCALE, r.y, r.z * SITUATION_POSITION_SCALE,
                                       r.heading, r.type, r.side, r.aiMode);
        if (static_cast<int>(i) == s.playerRecord) placed.player = slot;
        if (r.guarded && placed.guarded == -2) placed.guarded = slot;
    }
    return placed;
}

// Whether the player's record finds a slot, tried on an empty table.
bool playerRecordPlaceable(const Situation& s) {
    const auto scratch = std::make_unique<World>();
    return placeRecords(*scratch, s).player != -1;
}

}  // namespace

bool parseSituation(const uint8_t* bytes, std::size_t size, Situation& out, std::string& error) {
    constexpr std::size_t fixedBytes = SITUATION_HEADER_BYTES + 4;
    if (size < fixedBytes) {
        error = "file ends inside its 54-byte header";
        return false;
    }
    Situation s;
    s.playerRecord = readI16(bytes + SITUATION_HEADER_BYTES);
    const int count = readI16(bytes + SITUATION_HEADER_BYTES + 2);
    const std::size_t announced = count > 0 ? static_cast<std::size_t>(count) : 0;
    if (size < fixedBytes + announced * SITUATION_RECORD_BYTES) {
        error = "file ends before the " + std::to_string(announced) + " records its header announces";
        return false;
    }
    for (std::size_t i = 0; i < announced; ++i) {
        const SituationRecord r = readRecord(bytes + fixedBytes + i * SITUATION_RECORD_BYTES);
        if (r.type < 0 || r.type >= AIRCRAFT_TYPE_COUNT) {
            error = "record " + std::to_string(i) + " has aircraft type " + std::to_string(r.type) + ", outside 0..6";
            return false;
        }
        s.records.push_back(r);
    }
    if (!playerRecordPlaceable(s)) {
        error = "player record " + std::to_string(s.playerRecord) + " finds no free aircraft slot";
        return false;
    }
    out = std::move(s);
    return true;
}

bool loadSituation(const std::string& path, Situation& out, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!parseSituation(bytes.data(), bytes.size(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

namespace {

void resetSeat(Seat& s) {
    appendSoundLoop(s.sounds, LOOP_START, 0);
    s.cameraPos = Vec3{0.0f, 10.0f, 0.0f};
    s.cameraPitch = s.cameraHeading = s.cameraRoll = 0.0f;
    s.cockpitView = 0;
    s.radarLong = 0;
    s.mapShown = 0;
}

}  // namespace

void resetMission(World& w) {
    w.tickCount = 0;
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        if (seatIsHuman(w, seat)) resetSeat(w.seats[seat]);
    }
    for (Effect& e : w.effects) e.life = 0;
    for (Aircraft& a : w.aircraft) a.side = 0;
    for (Projectile& p : w.projectiles) p.side = 0;
    for (DamageRecord& d : w.lastDamage) d = DamageRecord{NO_AIRCRAFT, DAMAGE_NONE};
    clearCombatEvents(w.combat);
}

void placeSituation(World& w, const Situation& s) {
    const PlacedSlots placed = placeRecords(w, s);
    if (placed.player >= 0) w.seats[PLAYER_SEAT].slot = placed.player;
    w.guardedSlot = static_cast<int8_t>(isAircraftSlot(placed.guarded) ? placed.guarded : -1);
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) w.placedSide[slot] = w.aircraft[slot].side;
}

bool startSituation(World& w, const std::string& path, std::string& error) {
    Situation s;
    if (!loadSituation(path, s, error)) return false;
    resetMission(w);
    placeSituation(w, s);
    return true;
}

int spawnAircraft(World& w, float x, float y, float z, float heading, int8_t type, int8_t side, int8_t aiMode) {
    for (int i = 0; i < MAX_AIRCRAFT; ++i) {
        Aircraft& a = w.aircraft[i];
        if (a.side != 0) continue;
        const AircraftType& t = AIRCRAFT_TYPES[type];
        a = Aircraft{};
        a.x = x;
        a.y = y;
        a.z = z;
        a.heading = heading;
        a.speed = static_cast<float>(t.maxSpeed / 20.0 * 0.7);
        a.gunAmmo = t.gunAmmo;
        a.launcherAmmo = t.launcherAmmo;
        a.armor = t.armor;
        a.type = type;
        a.side = side;
        a.target = 0;
        a.aiMode = aiMode;
        return i;
    }
    return -1;
}

}  // namespace vantrel
