#include "net/messages.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace vantrel::net {

namespace {

constexpr uint8_t CLIENT_TYPE_BASE = 0x01;
constexpr uint8_t RELAY_TYPE_BASE = 0x81;

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

constexpr std::size_t HEIGHTMAP_OFFSET = offsetof(World, heightmap);
constexpr std::size_t AFTER_HEIGHTMAP = HEIGHTMAP_OFFSET + sizeof(World::heightmap);

bool validSeat(int seat) { return seat >= 0 && seat < MAX_SEATS; }
bool validSlot(int slot) { return slot >= NO_SLOT && slot < MAX_AIRCRAFT; }
bool validMission(int mission) { return mission >= 1 && mission <= MISSION_COUNT; }
bool validDelay(int delay) { return delay >= 1 && delay <= MAX_INPUT_DELAY; }

bool readBool(ByteReader& r) {
    const uint8_t v = r.u8();
    if (v > 1) r.refuse();
    return v == 1;
}

Side readSide(ByteReader& r) {
    const uint8_t v = r.u8();
    if (v > 1) r.refuse();
    return static_cast<Side>(v & 1);
}

// An enumeration stored in one byte with values 0..count-1.
template <class E>
E readEnum(ByteReader& r, int count) {
    const uint8_t v = r.u8();
    if (v >= count) r.refuse();
    return static_cast<E>(v);
}

uint32_t readTickNumber(ByteReader& r) {
    const uint32_t tick = r.u32();
    if (tick == 0) r.refuse();
    return tick;
}

// --- client messages ------------------------------------------------------------------------

void write(ByteWriter& w, const Hello& m) {
    w.u16(m.protocol);
    w.text(m.gameVersion);
    w.u8(static_cast<uint8_t>(m.dataFiles.size()));
    for (const DataFileHash& f : m.dataFiles) {
        w.text(f.name);
        w.u64(f.hash);
    }
    w.text(m.name);
    w.u64(m.rejoinToken);
    w.u8(m.host ? 1 : 0);
}
void read(ByteReader& r, Hello& m) {
    m.protocol = r.u16();
    m.gameVersion = r.text(MAX_VERSION_BYTES);
    const int files = r.u8();
    if (files > MAX_DATA_FILES) r.refuse();
    for (int i = 0; i < files && r.ok(); ++i) {
        DataFileHash f{r.text(MAX_FILE_NAME_BYTES), 0};
        f.hash = r.u64();
        if (f.name.empty()) r.refuse();
        m.dataFiles.push_back(std::move(f));
    }
    m.name = r.text(MAX_NAME_BYTES);
    m.rejoinToken = r.u64();
    m.host = readBool(r);
}

void write(ByteWriter& w, const ChooseSide& m) { w.u8(static_cast<uint8_t>(m.side)); }
void read(ByteReader& r, ChooseSide& m) { m.side = readSide(r); }

void write(ByteWriter& w, const PickMission& m) { w.u8(m.mission); }
void read(ByteReader& r, PickMission& m) {
    m.mission = r.u8();
    if (!validMission(m.mission)) r.refuse();
}

void write(ByteWriter&, const StartMission&) {}
void read(ByteReader&, StartMission&) {}

void write(ByteWriter& w, const Inputs& m) {
    w.u32(m.firstTick);
    w.u8(static_cast<uint8_t>(m.keys.size()));
    for (SeatKeys k : m.keys) w.u16(k);
}
void read(ByteReader& r, Inputs& m) {
    m.firstTick = readTickNumber(r);
    const int count = r.u8();
    if (count < 1 || count > MAX_INPUTS_PER_MESSAGE) r.refuse();
    for (int i = 0; i < count && r.ok(); ++i) m.keys.push_back(r.u16());
}

void write(ByteWriter& w, const WorldHash& m) {
    w.u32(m.tick);
    w.u64(m.hash);
}
void read(ByteReader& r, WorldHash& m) {
    m.tick = readTickNumber(r);
    m.hash = r.u64();
}

void write(ByteWriter&, const Leave&) {}
void read(ByteReader&, Leave&) {}

void write(ByteWriter& w, const Pong& m) { w.u32(m.stamp); }
void read(ByteReader& r, Pong& m) { m.stamp = r.u32(); }

void write(ByteWriter& w, const Away& m) { w.u8(m.away ? 1 : 0); }
void read(ByteReader& r, Away& m) { m.away = readBool(r); }

// --- relay messages -------------------------------------------------------------------------

void write(ByteWriter& w, const Welcome& m) {
    w.u8(m.seat);
    w.u64(m.token);
    w.text(m.code);
}
void read(ByteReader& r, Welcome& m) {
    m.seat = r.u8();
    if (!validSeat(m.seat)) r.refuse();
    m.token = r.u64();
    m.code = r.text(MAX_CODE_BYTES);
}

void write(ByteWriter& w, const Lobby& m) {
    w.u8(m.mission);
    w.u8(m.hostSeat);
    w.u8(m.missionRunning ? 1 : 0);
    w.u8(static_cast<uint8_t>(m.players.size()));
    for (const LobbyPlayer& p : m.players) {
        w.u8(p.seat);
        w.text(p.name);
        w.u8(static_cast<uint8_t>(p.side));
        w.u8(p.connected ? 1 : 0);
    }
}
void read(ByteReader& r, Lobby& m) {
    m.mission = r.u8();
    m.hostSeat = r.u8();
    if (!validMission(m.mission) || !validSeat(m.hostSeat)) r.refuse();
    m.missionRunning = readBool(r);
    const int count = r.u8();
    if (count > MAX_SEATS) r.refuse();
    for (int i = 0; i < count && r.ok(); ++i) {
        LobbyPlayer p;
        p.seat = r.u8();
        // Seats come in increasing order, so none repeats.
        if (!validSeat(p.seat) || (!m.players.empty() && p.seat <= m.players.back().seat)) r.refuse();
        p.name = r.text(MAX_NAME_BYTES);
        p.side = readSide(r);
        p.connected = readBool(r);
        m.players.push_back(std::move(p));
    }
}

void write(ByteWriter& w, const Start& m) {
    w.u32(m.seed);
    w.u8(m.mission);
    w.u32(m.firstTick);
    w.u8(m.inputDelay);
    for (int8_t slot : m.seatSlot) w.i8(slot);
}
void read(ByteReader& r, Start& m) {
    m.seed = r.u32();
    m.mission = r.u8();
    m.firstTick = readTickNumber(r);
    m.inputDelay = r.u8();
    if (!validMission(m.mission) || !validDelay(m.inputDelay)) r.refuse();
    for (int8_t& slot : m.seatSlot) {
        slot = r.i8();
        if (!validSlot(slot)) r.refuse();
    }
}

void write(ByteWriter& w, const Tick& m) {
    w.u32(m.tick);
    w.u16(m.flying);
    for (int seat = 0; seat < MAX_SEATS; ++seat)
        if (m.flying & (1u << seat)) w.u16(m.keys[seat]);
    w.u8(static_cast<uint8_t>(m.roster.size()));
    for (const RosterChange& c : m.roster) {
        w.u8(c.seat);
        w.i8(c.slot);
    }
    w.u8(m.previousHash ? 1 : 0);
    if (m.previousHash) w.u64(*m.previousHash);
}
void read(ByteReader& r, Tick& m) {
    m.tick = readTickNumber(r);
    m.flying = r.u16();
    for (int seat = 0; seat < MAX_SEATS; ++seat) m.keys[seat] = (m.flying & (1u << seat)) ? r.u16() : 0;
    const int changes = r.u8();
    if (changes > MAX_SEATS) r.refuse();
    for (int i = 0; i < changes && r.ok(); ++i) {
        RosterChange c{r.u8(), r.i8()};
        if (!validSeat(c.seat) || !validSlot(c.slot)) r.refuse();
        m.roster.push_back(c);
    }
    if (readBool(r)) m.previousHash = r.u64();
}

void write(ByteWriter& w, const DelayChange& m) {
    w.u32(m.fromTick);
    w.u8(m.inputDelay);
}
void read(ByteReader& r, DelayChange& m) {
    m.fromTick = readTickNumber(r);
    m.inputDelay = r.u8();
    if (!validDelay(m.inputDelay)) r.refuse();
}

void write(ByteWriter& w, const WorldState& m) {
    w.u32(m.tick);
    w.u8(static_cast<uint8_t>(m.reason));
    w.raw(m.world.data(), m.world.size());
}
void read(ByteReader& r, WorldState& m) {
    m.tick = r.u32();
    m.reason = readEnum<WorldReason>(r, 2);
    if (r.remaining() != WORLD_WIRE_BYTES) r.refuse();
    if (!r.ok()) return;
    m.world.resize(WORLD_WIRE_BYTES);
    r.raw(m.world.data(), m.world.size());
}

void write(ByteWriter& w, const Desync& m) {
    w.u32(m.tick);
    w.u64(m.relayHash);
    w.u64(m.clientHash);
    w.u32(m.lastAgreedTick);
}
void read(ByteReader& r, Desync& m) {
    m.tick = readTickNumber(r);
    m.relayHash = r.u64();
    m.clientHash = r.u64();
    m.lastAgreedTick = r.u32();
    if (m.lastAgreedTick >= m.tick) r.refuse();
}

void write(ByteWriter& w, const Notice& m) {
    w.u8(static_cast<uint8_t>(m.kind));
    w.u8(m.seat);
    w.u32(m.tick);
    w.text(m.name);
}
void read(ByteReader& r, Notice& m) {
    m.kind = readEnum<NoticeKind>(r, NOTICE_KIND_COUNT);
    m.seat = r.u8();
    if (!validSeat(m.seat)) r.refuse();
    m.tick = r.u32();
    m.name = r.text(MAX_NAME_BYTES);
}

void write(ByteWriter& w, const End& m) { w.u32(m.tick); }
void read(ByteReader& r, End& m) { m.tick = readTickNumber(r); }

void write(ByteWriter& w, const Refusal& m) {
    w.u8(static_cast<uint8_t>(m.code));
    w.text(m.reason);
}
void read(ByteReader& r, Refusal& m) {
    m.code = readEnum<RefusalCode>(r, REFUSAL_CODE_COUNT);
    m.reason = r.text(MAX_REASON_BYTES);
}

void write(ByteWriter& w, const Ping& m) { w.u32(m.stamp); }
void read(ByteReader& r, Ping& m) { m.stamp = r.u32(); }

template <class Variant>
Bytes encode(const Variant& m, uint8_t typeBase) {
    Bytes out;
    ByteWriter w(out);
    w.u8(static_cast<uint8_t>(typeBase + m.index()));
    std::visit([&w](const auto& body) { write(w, body); }, m);
    return out;
}

// Default-constructs the alternative at index into out.
template <class Variant, std::size_t... I>
bool emplaceAlternative(Variant& out, std::size_t index, std::index_sequence<I...>) {
    return ((index == I ? (out.template emplace<I>(), true) : false) || ...);
}

template <class Variant>
bool decode(const uint8_t* data, std::size_t size, std::size_t maxSize, uint8_t typeBase, Variant& out,
            std::string& error) {
    if (size == 0) {
        error = "empty message";
        return false;
    }
    if (size > maxSize) {
        error = "message of " + std::to_string(size) + " bytes exceeds " + std::to_string(maxSize);
        return false;
    }
    const std::size_t index = static_cast<std::size_t>(data[0] - typeBase);
    if (data[0] < typeBase ||
        !emplaceAlternative(out, index, std::make_index_sequence<std::variant_size_v<Variant>>{})) {
        error = "unknown message type " + std::to_string(data[0]);
        return false;
    }
    ByteReader r(data + 1, size - 1);
    std::visit([&r](auto& body) { read(r, body); }, out);
    if (!r.ok() || !r.atEnd()) {
        error = "malformed message of type " + std::to_string(data[0]);
        return false;
    }
    return true;
}

}  // namespace

const std::size_t WORLD_WIRE_BYTES = sizeof(World) - sizeof(World::heightmap);
static_assert(sizeof(World) - sizeof(World::heightmap) + 8 < MAX_RELAY_MESSAGE_BYTES,
              "a WorldState must fit in a relay message");

Bytes encodeClientMessage(const ClientMessage& m) { return encode(m, CLIENT_TYPE_BASE); }
Bytes encodeRelayMessage(const RelayMessage& m) { return encode(m, RELAY_TYPE_BASE); }

bool decodeClientMessage(const uint8_t* data, std::size_t size, ClientMessage& out, std::string& error) {
    return decode(data, size, MAX_CLIENT_MESSAGE_BYTES, CLIENT_TYPE_BASE, out, error);
}

bool decodeRelayMessage(const uint8_t* data, std::size_t size, RelayMessage& out, std::string& error) {
    return decode(data, size, MAX_RELAY_MESSAGE_BYTES, RELAY_TYPE_BASE, out, error);
}

Bytes packWorld(const World& w) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&w);
    Bytes out(bytes, bytes + HEIGHTMAP_OFFSET);
    out.insert(out.end(), bytes + AFTER_HEIGHTMAP, bytes + sizeof(World));
    return out;
}

void unpackWorld(const Bytes& bytes, World& w) {
    auto* target = reinterpret_cast<uint8_t*>(&w);
    std::memcpy(target, bytes.data(), HEIGHTMAP_OFFSET);
    std::memcpy(target + AFTER_HEIGHTMAP, bytes.data() + HEIGHTMAP_OFFSET, sizeof(World) - AFTER_HEIGHTMAP);
}

}  // namespace vantrel::net
