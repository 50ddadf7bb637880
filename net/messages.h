// The messages between clients and the relay. Every message is one binary WebSocket message:
// a type byte, then its fields, little-endian. Client and relay types lie in separate ranges,
// so a message sent the wrong way is refused as unknown. Decoders check every length and
// range before a value is used and refuse trailing bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "game/match.h"
#include "net/wire.h"

namespace vantrel::net {

constexpr uint16_t PROTOCOL_VERSION = 3;
constexpr std::size_t MAX_CLIENT_MESSAGE_BYTES = 4096;
constexpr std::size_t MAX_RELAY_MESSAGE_BYTES = 128 * 1024;
constexpr std::size_t MAX_NAME_BYTES = 12;
constexpr std::size_t MAX_VERSION_BYTES = 32;
constexpr std::size_t MAX_FILE_NAME_BYTES = 32;
constexpr std::size_t MAX_REASON_BYTES = 240;
constexpr int MAX_DATA_FILES = 64;
constexpr int MAX_INPUTS_PER_MESSAGE = 8;
constexpr int MISSION_COUNT = 5;
constexpr int NO_SLOT = -1;
constexpr int MAX_INPUT_DELAY = 16;  // ticks
constexpr std::size_t MAX_CODE_BYTES = 16;

enum class Side : uint8_t { Friend = 0, Enemy = 1 };

struct DataFileHash {
    std::string name;  // file name inside the data directory
    uint64_t hash;
    bool operator==(const DataFileHash&) const = default;
};

// --- client to relay ------------------------------------------------------------------------

// First message of every connection. The join code is the WebSocket path's (/match/CODE);
// a host may leave it empty for the relay to draw one.
struct Hello {
    uint16_t protocol = PROTOCOL_VERSION;
    std::string gameVersion;
    std::vector<DataFileHash> dataFiles;
    std::string name;          // shown to the others as typed (escaped), never interpreted
    uint64_t rejoinToken = 0;  // from an earlier Welcome; 0 for none
    bool host = false;         // opens a new match instead of joining one
};
struct ChooseSide {
    Side side;
};
struct PickMission {  // host only
    uint8_t mission;  // 1..MISSION_COUNT
};
struct StartMission {};  // host only
// The local player's keys for ticks firstTick, firstTick + 1, ...; earlier ones may repeat.
struct Inputs {
    uint32_t firstTick;
    std::vector<SeatKeys> keys;  // 1..MAX_INPUTS_PER_MESSAGE
};
struct WorldHash {
    uint32_t tick;  // the hash of the World right after this tick ran
    uint64_t hash;
};
struct Leave {};
struct Pong {
    uint32_t stamp;  // the Ping's, echoed
};
// The player looked away (a hidden browser tab, a window without the focus): the computer flies
// their slot until they are back, while the connection stays.
struct Away {
    bool away;
};

using ClientMessage = std::variant<Hello, ChooseSide, PickMission, StartMission, Inputs, WorldHash, Leave, Pong, Away>;

// --- relay to client ------------------------------------------------------------------------

struct Welcome {
    uint8_t seat;
    uint64_t token;  // proves the seat on a rejoin
    std::string code;
};
struct LobbyPlayer {
    uint8_t seat;
    std::string name;
    Side side;
    bool connected;
    bool operator==(const LobbyPlayer&) const = default;
};
struct Lobby {
    uint8_t mission = 1;  // highlighted by the host
    uint8_t hostSeat = 0;
    bool missionRunning = false;
    std::vector<LobbyPlayer> players;  // by seat
    bool operator==(const Lobby&) const = default;
};
// A mission starts, or a joiner learns the running one: the seat -> slot map is the one in
// force before firstTick (a joiner then gets a WorldState for firstTick - 1).
struct Start {
    uint32_t seed;
    uint8_t mission;
    uint32_t firstTick;
    uint8_t inputDelay;  // ticks between a key press and the tick it flies in
    int8_t seatSlot[MAX_SEATS];
};
// Whose slot changes before a tick runs: a human takes a slot, or NO_SLOT hands it back to
// the computer pilot.
struct RosterChange {
    uint8_t seat;
    int8_t slot;
    bool operator==(const RosterChange&) const = default;
};
// Everything one tick runs on: the roster changes first, then every flying seat's keys.
struct Tick {
    uint32_t tick;
    uint16_t flying;           // one bit a seat: the seats a human flies after the roster changes
    SeatKeys keys[MAX_SEATS];  // zero for seats not flying
    std::vector<RosterChange> roster;
    // The relay's World hash after the tick before, on the tick after each hash tick: a client
    // finds its own desync even while its hashes to the relay are held up.
    std::optional<uint64_t> previousHash;
};
struct DelayChange {
    uint32_t fromTick;  // inputs sent while running this tick and later use the new delay
    uint8_t inputDelay;
};
enum class WorldReason : uint8_t { Join = 0, Repair = 1 };
// The relay's World right after tick ran, without the height grid (constant in a match).
struct WorldState {
    uint32_t tick;
    WorldReason reason;
    Bytes world;  // exactly WORLD_WIRE_BYTES
};
// This client's World differed from the relay's; a WorldState repair follows.
struct Desync {
    uint32_t tick;
    uint64_t relayHash;
    uint64_t clientHash;
    uint32_t lastAgreedTick;  // 0: none agreed since the start or the last repair
};
enum class NoticeKind : uint8_t {
    Joined = 0,    // a new player, in the lobby or flying from tick
    Rejoined = 1,  // came back with their token
    Left = 2,      // left on purpose: the computer flies their slot from tick
    Dropped = 3,   // went silent or lost the connection: the computer flies their slot from tick
    Returned = 4,  // spoke again after going silent: flies again from tick
    NowHost = 5,   // seat now picks and starts the missions
    NoRoom = 6,    // the side seat chose, or was on at a start, has no free slot
    NotHost = 7,   // only the host picks and starts missions
    Watching = 8,  // seat found no free slot and watches the mission
    Away = 9,      // looked away: the computer flies their slot from tick until they are back
};
constexpr int NOTICE_KIND_COUNT = 10;
struct Notice {
    NoticeKind kind;
    uint8_t seat;
    uint32_t tick;  // the tick it takes effect, 0 outside a mission
    std::string name;
};
// The mission ended after tick; everyone is back in the lobby.
struct End {
    uint32_t tick;
};
enum class RefusalCode : uint8_t {
    Malformed = 0,
    Version = 1,
    DataDiffers = 2,
    NoSuchMatch = 3,
    CodeInUse = 4,
    MatchFull = 5,
    RelayFull = 6,
    Flood = 7,
    TooLarge = 8,
    Timeout = 9,
    RejoinExpired = 10,
    Closing = 11,
};
constexpr int REFUSAL_CODE_COUNT = 12;
// The relay closes the connection after this; the client shows the reason.
struct Refusal {
    RefusalCode code;
    std::string reason;
};
struct Ping {
    uint32_t stamp;
};

using RelayMessage =
    std::variant<Welcome, Lobby, Start, Tick, DelayChange, WorldState, Desync, Notice, End, Refusal, Ping>;

Bytes encodeClientMessage(const ClientMessage& m);
Bytes encodeRelayMessage(const RelayMessage& m);

// False, with what is wrong in error, for a message that is empty, too long, of an unknown type,
// cut short, followed by stray bytes, or holding a value out of range.
bool decodeClientMessage(const uint8_t* data, std::size_t size, ClientMessage& out, std::string& error);
bool decodeRelayMessage(const uint8_t* data, std::size_t size, RelayMessage& out, std::string& error);

// The World travels without its height grid.
extern const std::size_t WORLD_WIRE_BYTES;
Bytes packWorld(const World& w);
// Overwrites everything but the height grid; bytes holds exactly WORLD_WIRE_BYTES.
void unpackWorld(const Bytes& bytes, World& w);

}  // namespace vantrel::net
