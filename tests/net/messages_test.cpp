// The wire format: what goes out comes back the same, and what is damaged, cut short, too
// long, of an unknown type or out of range is refused before any of it is used.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "net/data_files.h"
#include "net/join_code.h"
#include "net/messages.h"
#include "net/notices.h"

namespace vantrel::net {
namespace {

std::vector<ClientMessage> sampleClientMessages() {
    Hello hello;
    hello.gameVersion = "0.30";
    hello.dataFiles = {{"map1.hd", 0x1122334455667788ull}, {"s1.au1", 42}};
    hello.name = "ann";
    hello.rejoinToken = 0xfeedfacecafebeefull;
    hello.host = true;
    return {hello,
            ChooseSide{Side::Enemy},
            PickMission{5},
            StartMission{},
            Inputs{77, {0x1234, 0x8001, 0}},
            WorldHash{80, 0xabcdef0123456789ull},
            Leave{},
            Pong{123456},
            Away{true}};
}

std::vector<RelayMessage> sampleRelayMessages() {
    Start start{99, 3, 18, 2, {}};
    for (int seat = 0; seat < MAX_SEATS; ++seat) start.seatSlot[seat] = static_cast<int8_t>(seat < 3 ? seat : NO_SLOT);
    Tick tick{};
    tick.tick = 19;
    tick.flying = 0b101;
    tick.keys[0] = 0x0101;
    tick.keys[2] = 0x7fff;
    tick.roster = {{2, 5}, {1, NO_SLOT}};
    Tick hashed = tick;
    hashed.tick = 21;
    hashed.previousHash = 0xfedcba9876543210ull;
    auto world = std::make_unique<World>();
    world->tickCount = 77;
    Lobby lobby{4, 1, true, {{0, "ann", Side::Friend, true}, {1, "b\x01\xff", Side::Enemy, false}}};
    return {Welcome{3, 0x0102030405060708ull, "K7QDXY"},
            lobby,
            start,
            tick,
            hashed,
            DelayChange{40, 3},
            WorldState{40, WorldReason::Repair, packWorld(*world)},
            Desync{44, 1, 2, 40},
            Notice{NoticeKind::Dropped, 1, 45, "bob"},
            End{900},
            Refusal{RefusalCode::DataDiffers, "game data differs: s3.au1 differs"},
            Ping{777}};
}

template <class Message, class Decode>
void expectRefused(const Bytes& bytes, Decode decode, const std::string& what) {
    Message out;
    std::string error;
    EXPECT_FALSE(decode(bytes.data(), bytes.size(), out, error)) << what;
    EXPECT_FALSE(error.empty()) << what;
}

TEST(Messages, EveryMessageComesBackAsSentAndNoCutOrLengthenedCopyPasses) {
    for (const ClientMessage& m : sampleClientMessages()) {
        const Bytes bytes = encodeClientMessage(m);
        ClientMessage back;
        std::string error;
        ASSERT_TRUE(decodeClientMessage(bytes.data(), bytes.size(), back, error)) << error;
        EXPECT_EQ(back.index(), m.index());
        EXPECT_EQ(encodeClientMessage(back), bytes);
        for (std::size_t cut = 0; cut < bytes.size(); ++cut)
            expectRefused<ClientMessage>(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)),
                                         decodeClientMessage, "client message cut to " + std::to_string(cut));
        Bytes longer = bytes;
        longer.push_back(0);
        expectRefused<ClientMessage>(longer, decodeClientMessage, "client message with a stray byte");
        // Sent the wrong way it is of an unknown type.
        expectRefused<RelayMessage>(bytes, decodeRelayMessage, "client message read as the relay's");
    }
    for (const RelayMessage& m : sampleRelayMessages()) {
        const Bytes bytes = encodeRelayMessage(m);
        RelayMessage back;
        std::string error;
        ASSERT_TRUE(decodeRelayMessage(bytes.data(), bytes.size(), back, error)) << error;
        EXPECT_EQ(encodeRelayMessage(back), bytes);
        for (std::size_t cut = 0; cut<bytes.size(); cut += bytes.size()> 100 ? 997 : 1)
            expectRefused<RelayMessage>(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)),
                                        decodeRelayMessage, "relay message cut to " + std::to_string(cut));
        Bytes longer = bytes;
        longer.push_back(0);
        expectRefused<RelayMessage>(longer, decodeRelayMessage, "relay message with a stray byte");
        expectRefused<ClientMessage>(bytes, decodeClientMessage, "relay message read as a client's");
    }
}

TEST(Messages, ValuesOutOfRangeAreRefused) {
    struct Case {
        const char* what;
        ClientMessage message;
        std::size_t offset;  // of the byte to overwrite
        uint8_t value;
    };
    const Case clientCases[] = {
        {"side 2", ChooseSide{Side::Friend}, 1, 2}, {"mission 0", PickMission{1}, 1, 0},
        {"mission 6", PickMission{1}, 1, 6},        {"no keys", Inputs{5, {1}}, 5, 0},
        {"nine keys", Inputs{5, {1}}, 5, 9},        {"tick 0", WorldHash{1, 0}, 1, 0},
    };
    for (const Case& c : clientCases) {
        Bytes bytes = encodeClientMessage(c.message);
        bytes[c.offset] = c.value;
        expectRefused<ClientMessage>(bytes, decodeClientMessage, c.what);
    }

    Hello longName;
    longName.name = std::string(MAX_NAME_BYTES + 1, 'n');
    expectRefused<ClientMessage>(encodeClientMessage(longName), decodeClientMessage, "a 13-byte name");
    Hello noHostFlag;
    Bytes hello = encodeClientMessage(noHostFlag);
    hello.back() = 2;
    expectRefused<ClientMessage>(hello, decodeClientMessage, "host flag 2");

    Start start{1, 1, 1, 2, {}};
    const struct {
        const char* what;
        std::size_t offset;
        uint8_t value;
    } startCases[] = {{"mission 9", 5, 9},
                      {"delay 0", 10, 0},
                      {"delay 17", 10, MAX_INPUT_DELAY + 1},
                      {"slot 30", 11, MAX_AIRCRAFT},
                      {"slot -2", 26, 0xfe}};
    for (const auto& c : startCases) {
        Bytes bytes = encodeRelayMessage(start);
        bytes[c.offset] = c.value;
        expectRefused<RelayMessage>(bytes, decodeRelayMessage, c.what);
    }
    Tick tick{};
    tick.tick = 3;
    tick.roster = {{16, 0}};
    expectRefused<RelayMessage>(encodeRelayMessage(tick), decodeRelayMessage, "roster seat 16");
    Lobby unordered{1, 0, false, {{1, "a", Side::Friend, true}, {1, "b", Side::Friend, true}}};
    expectRefused<RelayMessage>(encodeRelayMessage(unordered), decodeRelayMessage, "a seat listed twice");
    Desync backwards{10, 1, 2, 10};
    expectRefused<RelayMessage>(encodeRelayMessage(backwards), decodeRelayMessage, "agreed after the desync");

    const Bytes oversized(MAX_CLIENT_MESSAGE_BYTES + 1, 5);
    expectRefused<ClientMessage>(oversized, decodeClientMessage, "oversized");
    for (int type = 0; type < 256; ++type) {
        if ((type >= 1 && type <= 8) || (type >= 0x81 && type <= 0x8b)) continue;
        expectRefused<ClientMessage>(Bytes{static_cast<uint8_t>(type)}, decodeClientMessage, "unknown type");
        expectRefused<RelayMessage>(Bytes{static_cast<uint8_t>(type)}, decodeRelayMessage, "unknown type");
    }
    expectRefused<ClientMessage>(Bytes{}, decodeClientMessage, "empty");
}

TEST(Messages, WorldTravelsWithoutItsHeightGridAndKeepsTheReceiversOwn) {
    auto sent = std::make_unique<World>();
    auto received = std::make_unique<World>();
    std::mt19937 random(7);
    auto* bytes = reinterpret_cast<uint8_t*>(sent.get());
    for (std::size_t i = 0; i < sizeof(World); ++i) bytes[i] = static_cast<uint8_t>(random());
    for (uint8_t& h : received->heightmap) h = 9;
    const Bytes wire = packWorld(*sent);
    EXPECT_EQ(wire.size(), sizeof(World) - sizeof(World::heightmap));
    unpackWorld(wire, *received);
    for (uint8_t& h : sent->heightmap) h = 9;
    EXPECT_EQ(hashWorld(*received), hashWorld(*sent));
}

TEST(JoinCodes, DrawnCodesAreWellFormedAndDoNotRepeat) {
    std::mt19937_64 random(11);
    const RandomSource source = [&random] { return random(); };
    std::set<std::string> seen;
    for (int i = 0; i < 20000; ++i) {
        const std::string code = drawJoinCode(source);
        ASSERT_EQ(normalizeJoinCode(code), code);
        seen.insert(code);
    }
    EXPECT_EQ(seen.size(), 20000u);
    EXPECT_EQ(normalizeJoinCode("k7qdxy"), "K7QDXY");
    for (const char* bad : {"", "K7QDX", "K7QDXYZ", "K7QD0Y", "K7QDIY", "K7/DXY", "K7QD\xc3\xa9"})
        EXPECT_FALSE(normalizeJoinCode(bad)) << bad;
}

TEST(JoinCodes, AddressesAsPlayersTypeThem) {
    struct Case {
        const char* text;
        const char* host;
        int port;
        const char* code;
        bool secure = false;
    };
    const Case good[] = {{"example.org:8031/k7qdxy", "example.org", 8031, "K7QDXY"},
                         {"example.org/K7QDXY", "example.org", DEFAULT_RELAY_PORT, "K7QDXY"},
                         {"ws://127.0.0.1:9000/match/K7QDXY", "127.0.0.1", 9000, "K7QDXY"},
                         {"[::1]:8040/K7QDXY", "::1", 8040, "K7QDXY"},
                         {"relay.lan", "relay.lan", DEFAULT_RELAY_PORT, ""},
                         {"wss://play.example.org/k7qdxy", "play.example.org", 443, "K7QDXY", true},
                         {"wss://[::1]:8443/match/K7QDXY", "::1", 8443, "K7QDXY", true}};
    for (const Case& c : good) {
        JoinAddress a;
        std::string error;
        ASSERT_TRUE(parseJoinAddress(c.text, a, error)) << c.text << ": " << error;
        EXPECT_EQ(a.host, c.host);
        EXPECT_EQ(a.port, c.port);
        EXPECT_EQ(a.code, c.code);
        EXPECT_EQ(a.secure, c.secure);
        EXPECT_EQ(codeOfPath(a.path()), a.code);
        JoinAddress again;
        ASSERT_TRUE(parseJoinAddress(a.text(), again, error)) << a.text();
        EXPECT_EQ(again.text(), a.text());
    }
    for (const char* bad : {"", ":8031/K7QDXY", "host:/K7QDXY", "host:0/K7QDXY", "host:65536/K7QDXY", "host:80a/K7QDXY",
                            "host:8031/K7QD", "[::1/K7QDXY", "[::1]x/K7QDXY"}) {
        JoinAddress a;
        std::string error;
        EXPECT_FALSE(parseJoinAddress(bad, a, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(codeOfPath("/favicon.ico"), "");
}

TEST(Notices, NamesAreShownEscapedNeverInterpreted) {
    EXPECT_EQ(printableName("ann"), "ann");
    EXPECT_EQ(printableName("a\x1b[2Jb\\\xc3\xa4"), "a\\x1B[2Jb\\\\\\xC3\\xA4");
    std::set<std::string> lines;
    for (int kind = 0; kind < NOTICE_KIND_COUNT; ++kind) {
        const std::string line = noticeText({static_cast<NoticeKind>(kind), 1, 40, "\n"});
        EXPECT_EQ(line.find('\n'), std::string::npos);
        lines.insert(line);
    }
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(NOTICE_KIND_COUNT));  // each kind says its own thing
}

TEST(DataFiles, DifferencesNameEachFile) {
    const std::vector<DataFileHash> relay = {{"map1.hd", 1}, {"s1.au1", 2}, {"s2.au1", 3}};
    EXPECT_EQ(describeDataDifference(relay, relay), "");
    EXPECT_EQ(describeDataDifference(relay, {{"map1.hd", 1}, {"s1.au1", 9}, {"x.bmp", 4}}),
              "s1.au1 differs; s2.au1 is missing; x.bmp is extra");
    std::vector<DataFileHash> many;
    for (int i = 0; i < MAX_DATA_FILES; ++i) many.push_back({"file" + std::to_string(i) + ".bin", 1});
    EXPECT_LT(describeDataDifference(many, {}).size(), MAX_REASON_BYTES);
}

// The browser's data pack holds other pictures and meshes than the desktop's folder: only what
// a World is made from must agree.
TEST(DataFiles, OnlyTheFilesAWorldIsMadeFromAreCompared) {
    namespace fs = std::filesystem;
    std::vector<DataFileHash> own;
    std::string error;
    ASSERT_TRUE(hashDataDirectory(VANTREL_DATA_DIR, own, error)) << error;
    EXPECT_TRUE(std::is_sorted(own.begin(), own.end(), [](auto& a, auto& b) { return a.name < b.name; }));

    const fs::path other = fs::path(testing::TempDir()) / ("data-pack-" + std::to_string(getpid()));
    fs::create_directories(other);
    for (const DataFileHash& f : own) fs::copy_file(fs::path(VANTREL_DATA_DIR) / f.name, other / f.name);
    std::ofstream(other / "title.bmp") << "a different picture";
    std::vector<DataFileHash> theirs;
    ASSERT_TRUE(hashDataDirectory(other.string(), theirs, error)) << error;
    EXPECT_EQ(describeDataDifference(own, theirs), "");

    std::ofstream(other / "s3.au1", std::ios::app) << '\n';
    ASSERT_TRUE(hashDataDirectory(other.string(), theirs, error)) << error;
    EXPECT_EQ(describeDataDifference(own, theirs), "s3.au1 differs");

    fs::remove(other / "map1.hd");
    EXPECT_FALSE(hashDataDirectory(other.string(), theirs, error));
    EXPECT_NE(error.find("map1.hd"), std::string::npos) << error;
    fs::remove_all(other);
}

}  // namespace
}  // namespace vantrel::net
