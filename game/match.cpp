#include "game/match.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

#include "game/flow.h"
#include "sim/camera.h"
#include "sim/controls.h"
#include "world/situation.h"
#include "world/terrain.h"

namespace vantrel {

namespace {

// The keys of SeatKeys, bit 0 first.
constexpr auto seatKeyCodes() {
    struct Codes {
        uint8_t code[std::size(CONTROL_KEYS) + std::size(VIEW_KEYS)];
    } codes{};
    int bit = 0;
    for (const ControlKey& k : CONTROL_KEYS) codes.code[bit++] = k.key;
    for (uint8_t key : VIEW_KEYS) codes.code[bit++] = key;
    return codes;
}
constexpr auto SEAT_KEY_CODES = seatKeyCodes();
static_assert(std::size(SEAT_KEY_CODES.code) <= 16, "SeatKeys holds a bit for every key a seat sends");

// The slots the setup seats humans in must be placed, live aircraft, one seat each.
bool checkSeatSlots(const World& w, const MatchSetup& setup, std::string& error) {
    bool taken[MAX_AIRCRAFT] = {};
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        const int slot = setup.seatSlot[seat];
        if (!isAircraftSlot(slot)) continue;
        if (!isAlive(w, slot) || taken[slot]) {
            error = "seat " + std::to_string(seat) + " asks for aircraft slot " + std::to_string(slot) +
                    ", which the mission does not give it";
            return false;
        }
        taken[slot] = true;
    }
    return true;
}

}  // namespace

SeatKeys packSeatKeys(const uint8_t snapshot[256]) {
    SeatKeys keys = 0;
    for (std::size_t bit = 0; bit < std::size(SEAT_KEY_CODES.code); ++bit) {
        if ((snapshot[SEAT_KEY_CODES.code[bit]] & KEY_DOWN_BIT) != 0) keys |= static_cast<SeatKeys>(1u << bit);
    }
    return keys;
}

void unpackSeatKeys(SeatKeys keys, uint8_t snapshot[256]) {
    std::memset(snapshot, 0, 256);
    for (std::size_t bit = 0; bit < std::size(SEAT_KEY_CODES.code); ++bit) {
        if ((keys >> bit) & 1u) snapshot[SEAT_KEY_CODES.code[bit]] = KEY_DOWN_BIT;
    }
}

bool readMissionSides(const std::string& dataDir, int mission, MissionSides& out, std::string& error) {
    const auto scratch = std::make_unique<World>();
    if (!startSituation(*scratch, situationPath(dataDir, mission), error)) return false;
    const int player = scratch->seats[PLAYER_SEAT].slot;
    out = MissionSides{};
    out.playerSide.push_back(player);
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const int8_t side = scratch->placedSide[slot];
        if (side == 0 || slot == player) continue;
        (side == scratch->placedSide[player] ? out.playerSide : out.otherSide).push_back(slot);
    }
    return true;
}

bool startMatch(World& w, const std::string& dataDir, const MatchSetup& setup, std::string& error) {
    if (setup.mission < 1 || setup.mission > MISSION_COUNT) {
        error = "mission " + std::to_string(setup.mission) + " is not one of 1 to " + std::to_string(MISSION_COUNT);
        return false;
    }
    std::memset(&w, 0, sizeof w);
    const std::string map = dataDir + "/map1.hd";
    if (!loadHeightmap(w, map)) {
        error = map + ": cannot be opened";
        return false;
    }
    seedRandom(w.rngState, setup.seed);
    w.running = 1;
    w.matchPlay = 1;
    for (int seat = 0; seat < MAX_SEATS; ++seat) w.seats[seat].human = isAircraftSlot(setup.seatSlot[seat]) ? 1 : 0;
    if (!enterMission(w, situationPath(dataDir, setup.mission), error)) return false;
    if (!checkSeatSlots(w, setup, error)) return false;
    for (int seat = 0; seat < MAX_SEATS; ++seat) w.seats[seat].slot = setup.seatSlot[seat];
    return true;
}

void seatHuman(World& w, int seat, int slot) {
    Seat& s = w.seats[seat];
    s.slot = slot;
    s.human = 1;
    appendSoundLoop(s.sounds, LOOP_START, 0);
    placeCameraAtOnce(w, seat);
}

void releaseSeat(World& w, int seat) { w.seats[seat].human = 0; }

void runMatchTick(World& w, const uint8_t snapshots[MAX_SEATS][256]) {
    static constexpr uint8_t NO_KEYS[256] = {};
    for (int seat = 0; seat < MAX_SEATS; ++seat) {
        Seat& s = w.seats[seat];
        clearSoundEvents(s.sounds);
        updateKeyState(s.input, seatIsHuman(w, seat) ? snapshots[seat] : NO_KEYS);
    }
    ++w.tickCount;
    if (w.gameMode == MODE_MISSION) updateMission(w);
}

void viewFromSeat(const World& w, int seat, World& out) {
    out = w;
    if (seat == PLAYER_SEAT) return;
    std::swap(out.seats[PLAYER_SEAT], out.seats[seat]);
    const uint8_t mine = static_cast<uint8_t>(seat + 1), players = PLAYER_SEAT + 1;
    for (Effect& e : out.effects) {
        if (e.seenBy == mine) {
            e.seenBy = players;
        } else if (e.seenBy == players) {
            e.seenBy = mine;
        }
    }
}

void matchTick(World& w, const SeatKeys keys[MAX_SEATS]) {
    uint8_t snapshots[MAX_SEATS][256];
    for (int seat = 0; seat < MAX_SEATS; ++seat) unpackSeatKeys(keys[seat], snapshots[seat]);
    runMatchTick(w, snapshots);
}

}  // namespace vantrel
