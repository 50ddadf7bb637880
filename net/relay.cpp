#include "net/relay.h"

#include <algorithm>
#include <unordered_map>

#include "net/data_files.h"

namespace vantrel::net {

namespace {

constexpr uint32_t INPUT_WINDOW = 64;   // ticks ahead of the relay a client may send keys for
constexpr uint32_t HASH_HISTORY = 128;  // ticks of the relay's own hashes kept to compare with
// A third of a window's inputs late raises the delay: a delay too short for someone's round
// trip makes nearly all of them late, lost segments only a few.
constexpr int LATE_LIMIT = 33;
constexpr uint32_t LATE_WINDOW_TICKS = 100;
// Keys late by more ticks than this were held up by a lost segment, which a longer delay would
// not have saved: they do not raise it.
constexpr uint32_t LATE_BY_AT_MOST = 3;
constexpr uint32_t DELAY_MARGIN_MS = 15;  // on top of the round trip when choosing the delay
constexpr int MIN_INPUT_DELAY = 2;
constexpr std::size_t RTT_SAMPLES = 8;         // pings, half a second apart
constexpr uint32_t MAX_CATCH_UP_MS = 1000;     // a relay held up longer skips ahead instead
constexpr uint32_t REPAIR_INTERVAL_MS = 1000;  // at most one repair a second for each player
// The time limits are kept this often, not at every one of the many matches' ticks: a busy
// relay walked every connection and seat hundreds of times a second.
constexpr uint32_t TIME_LIMITS_EVERY_MS = 10;

// The clock wraps at 2^32 ms: compare by difference.
uint32_t since(uint32_t now, uint32_t then) { return now - then; }
bool reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

struct SeatState {
    bool taken = false;
    std::string name;
    Side side = Side::Friend;
    uint64_t token = 0;
    ConnectionId conn = 0;
    bool connected = false;
    bool silent = false;  // connected, but dropped from its slot for silence
    bool away = false;    // connected, but looking away: the computer flies its slot
    uint32_t lastHeardMs = 0;
    uint32_t leftAtMs = 0;
    int slot = NO_SLOT;         // flown once the scheduled roster changes have run
    int appliedSlot = NO_SLOT;  // flown in the last tick run
    int lastSlot = NO_SLOT;     // given back first on a return
    SeatKeys keys[INPUT_WINDOW] = {};
    uint32_t keysTick[INPUT_WINDOW] = {};
    SeatKeys lastKeys = 0;
    uint32_t graceUntilTick = 0;  // late inputs up to this tick are expected, not counted
    int lateInWindow = 0;
    uint32_t lateWindowStart = 0;
    uint32_t rttMs = 0;
    uint32_t rttSamples[RTT_SAMPLES] = {};
    uint32_t rttSamplesTaken = 0;
    uint32_t repairedThrough = 0;  // hashes up to this tick came before a repair
    uint32_t lastRepairMs = 0;
    uint32_t lastAgreedTick = 0;
};

struct Match {
    std::string code;
    SeatState seats[MAX_SEATS];
    int hostSeat = 0;
    int mission = 1;
    bool running = false;
    std::unique_ptr<World> world;
    uint32_t tick = 0;  // the last tick run; ticks count on across missions
    uint32_t firstTick = 0;
    uint32_t nextTickMs = 0;
    int delay = MIN_INPUT_DELAY;
    std::vector<RosterChange> roster;  // for the next tick
    MatchRecording recording;
    uint64_t hashes[HASH_HISTORY] = {};
    uint32_t hashTicks[HASH_HISTORY] = {};
    int desyncs = 0;
    uint32_t lastActionMs = 0;   // a player's last word other than a pong: an idle match closes
    bool awaitingFirst = false;  // opened before anyone came: kept while nobody is in it yet
};

struct Connection {
    std::string peer, code;
    uint32_t openedMs = 0;
    bool greeted = false;
    bool closing = false;  // refused or left: nothing more is read from it
    Match* match = nullptr;
    int seat = -1;
    double allowance = 0;  // messages it may still send now (the rate limit's bucket)
    uint32_t allowanceMs = 0;
    uint32_t lastPingMs = 0;
};

int seatCount(const Match& m, bool (*counts)(const SeatState&)) {
    return static_cast<int>(std::count_if(std::begin(m.seats), std::end(m.seats), counts));
}

}  // namespace

struct Relay::State {
    RelayConfig config;
    MissionSides sides[MISSION_COUNT];  // mission n at n - 1
    std::unordered_map<ConnectionId, Connection> connections;
    std::unordered_map<std::string, int> connectionsByPeer;
    struct ConnectAllowance {
        double left;
        uint32_t atMs;
    };
    std::unordered_map<std::string, ConnectAllowance> connectsByPeer;
    uint32_t lastPruneMs = 0;
    std::optional<uint32_t> lastTimeLimitsMs;
    std::map<std::string, std::unique_ptr<Match>> matches;
    std::vector<Outgoing> outgoing;
    std::vector<std::string> logLines;
    std::vector<DesyncReport> reports;
    RelayCounters counters;
    uint32_t now = 0;
    // The earliest next tick of a running match; kept by advance and startMission, so the
    // transport can ask after every message without a walk over every match.
    std::optional<uint32_t> tickDue;

    void noteTickDue(uint32_t due) {
        if (!tickDue || static_cast<int32_t>(due - *tickDue) < 0) tickDue = due;
    }

    // --- sending --------------------------------------------------------------------------

    void send(ConnectionId to, const RelayMessage& m) { outgoing.push_back({to, encodeRelayMessage(m)}); }

    void broadcast(const Match& m, const RelayMessage& message) {
        const Bytes bytes = encodeRelayMessage(message);
        for (const SeatState& s : m.seats)
            if (s.connected) outgoing.push_back({s.conn, bytes});
    }

    void refuse(ConnectionId id, Connection& c, RefusalCode code, const std::string& reason) {
        ++counters.refusals;
        outgoing.push_back({id, encodeRelayMessage(Refusal{code, reason.substr(0, MAX_REASON_BYTES)}), true});
        c.closing = true;
        detach(c, NoticeKind::Dropped);
    }

    Lobby lobbyOf(const Match& m) const {
        Lobby l;
        l.mission = static_cast<uint8_t>(m.mission);
        l.hostSeat = static_cast<uint8_t>(m.hostSeat);
        l.missionRunning = m.running;
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            const SeatState& s = m.seats[seat];
            if (s.taken) l.players.push_back({static_cast<uint8_t>(seat), s.name, s.side, s.connected});
        }
        return l;
    }
    void broadcastLobby(const Match& m) { broadcast(m, lobbyOf(m)); }

    void notify(const Match& m, NoticeKind kind, int seat, uint32_t tick) {
        broadcast(m, Notice{kind, static_cast<uint8_t>(seat), tick, m.seats[seat].name});
    }
    void notifyOne(const Match& m, NoticeKind kind, int seat) {
        send(m.seats[seat].conn, Notice{kind, static_cast<uint8_t>(seat), 0, m.seats[seat].name});
    }

    // --- slots ----------------------------------------------------------------------------

    const std::vector<int>& slotsOf(const Match& m, Side side) const {
        const MissionSides& s = sides[m.mission - 1];
        return side == Side::Friend ? s.playerSide : s.otherSide;
    }

    bool slotFree(const Match& m, int slot) const {
        for (const SeatState& s : m.seats)
            if (s.slot == slot) return false;
        return !m.running || isAlive(*m.world, slot);
    }

    // From the next tick on the seat flies slot (NO_SLOT: the computer flies its slot).
    void schedule(Match& m, int seat, int slot) {
        SeatState& s = m.seats[seat];
        if (s.slot == slot) return;
        if (s.slot != NO_SLOT) s.lastSlot = s.slot;
        s.slot = slot;
        m.roster.push_back({static_cast<uint8_t>(seat), static_cast<int8_t>(slot)});
        if (slot != NO_SLOT) s.graceUntilTick = m.tick + 1 + static_cast<uint32_t>(m.delay) + s.rttMs / TICK_MS + 2;
    }

    // A computer-flown slot of the seat's side for a player joining a running mission, its
    // own last slot first; false when every one is taken or shot down.
    bool seatInRunningMission(Match& m, int seat) {
        SeatState& s = m.seats[seat];
        int slot = slotFree(m, s.lastSlot) && s.lastSlot != NO_SLOT ? s.lastSlot : NO_SLOT;
        for (int candidate : slotsOf(m, s.side)) {
            if (slot != NO_SLOT) break;
            if (slotFree(m, candidate)) slot = candidate;
        }
        if (slot == NO_SLOT) return false;
        schedule(m, seat, slot);
        return true;
    }

    // --- leaving --------------------------------------------------------------------------

    // The connection no longer speaks for its seat: the computer takes its slot from the next
    // tick, the others hear why, and the host's part passes on.
    void detach(Connection& c, NoticeKind why) {
        if (c.match == nullptr) return;
        Match& m = *c.match;
        SeatState& s = m.seats[c.seat];
        const int seat = c.seat;
        c.match = nullptr;
        c.seat = -1;
        s.connected = false;
        s.leftAtMs = now;
        const bool wasFlying = s.slot != NO_SLOT;
        if (m.running) schedule(m, seat, NO_SLOT);
        if (why == NoticeKind::Left) s.taken = false;
        if (wasFlying || why == NoticeKind::Left || !m.running) notify(m, why, seat, m.running ? m.tick + 1 : 0);
        if (m.hostSeat == seat) passHost(m);
        broadcastLobby(m);
    }

    void passHost(Match& m) {
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            if (m.seats[seat].connected) {
                m.hostSeat = seat;
                notify(m, NoticeKind::NowHost, seat, 0);
                return;
            }
        }
    }

    // --- greeting -------------------------------------------------------------------------

    void greet(ConnectionId id, Connection& c, Hello& h) {
        if (h.protocol != PROTOCOL_VERSION) {
            return refuse(id, c, RefusalCode::Version,
                          "network protocol " + std::to_string(h.protocol) + " cannot play with the relay's " +
                              std::to_string(PROTOCOL_VERSION));
        }
        if (h.gameVersion != config.gameVersion) {
            return refuse(id, c, RefusalCode::Version,
                          "game version " + h.gameVersion + " cannot play with the relay's " + config.gameVersion);
        }
        const std::string differences = describeDataDifference(config.dataFiles, h.dataFiles);
        if (!differences.empty())
            return refuse(id, c, RefusalCode::DataDiffers, "game data differs from the relay's: " + differences);
        if (h.name.empty()) h.name = "player";
        c.greeted = true;
        if (h.rejoinToken != 0) return rejoin(id, c, h);
        if (h.host) return host(id, c, h);
        join(id, c, h);
    }

    void host(ConnectionId id, Connection& c, const Hello& h) {
        if (static_cast<int>(matches.size()) >= config.maxMatches) {
            logLines.push_back("refused a new match: all " + std::to_string(config.maxMatches) + " are in use");
            return refuse(id, c, RefusalCode::RelayFull, "this relay carries all the matches it can; try again later");
        }
        if (!c.code.empty() && !normalizeJoinCode(c.code))
            return refuse(id, c, RefusalCode::Malformed, printableCode(c.code) + " cannot be a join code");
        if (c.code.empty()) {
            c.code = unusedCode();
        } else if (matches.count(c.code) != 0) {
            return refuse(id, c, RefusalCode::CodeInUse, "the code " + c.code + " is in use");
        }
        seatPlayer(id, c, newMatch(c.code), 0, h.name, Side::Friend);
        logLines.push_back("match " + c.code + ": opened by its host");
    }

    std::string unusedCode() {
        std::string code;
        do {
            code = drawJoinCode(config.random);
        } while (matches.count(code) != 0);
        return code;
    }

    Match& newMatch(const std::string& code) {
        auto m = std::make_unique<Match>();
        m->code = code;
        m->lastActionMs = now;
        m->world = std::make_unique<World>();
        Match& match = *m;
        matches.emplace(code, std::move(m));
        return match;
    }

    void join(ConnectionId id, Connection& c, const Hello& h) {
        const auto found = matches.find(c.code);
        if (found == matches.end())
            return refuse(id, c, RefusalCode::NoSuchMatch, "no match has the code " + printableCode(c.code));
        Match& m = *found->second;
        const auto free =
            std::find_if(std::begin(m.seats), std::end(m.seats), [](const SeatState& s) { return !s.taken; });
        if (free == std::end(m.seats))
            return refuse(id, c, RefusalCode::MatchFull,
                          "the match already has " + std::to_string(MAX_SEATS) + " players");
        // A newcomer takes the side with room left for them in the highlighted mission.
        const Side side = roomOn(m, Side::Friend) ? Side::Friend : Side::Enemy;
        seatPlayer(id, c, m, static_cast<int>(free - std::begin(m.seats)), h.name, side);
    }

    void rejoin(ConnectionId id, Connection& c, const Hello& h) {
        const auto found = matches.find(c.code);
        Match* m = found == matches.end() ? nullptr : found->second.get();
        int seat = -1;
        for (int i = 0; m != nullptr && i < MAX_SEATS; ++i)
            if (m->seats[i].taken && m->seats[i].token == h.rejoinToken) seat = i;
        if (seat < 0) return refuse(id, c, RefusalCode::RejoinExpired, "the match no longer keeps a place for you");
        SeatState& s = m->seats[seat];
        if (s.connected) {
            // The old connection has not been seen to drop yet: the new one replaces it.
            const auto old = connections.find(s.conn);
            if (old != connections.end())
                refuse(old->first, old->second, RefusalCode::Closing, "you connected again from elsewhere");
        }
        attach(id, c, *m, seat);
        notify(*m, NoticeKind::Rejoined, seat, m->running ? m->tick + 1 : 0);
        if (m->running) sendRunningMission(*m, seat);
    }

    void seatPlayer(ConnectionId id, Connection& c, Match& m, int seat, const std::string& name, Side side) {
        SeatState& s = m.seats[seat];
        s = SeatState{};
        s.taken = true;
        m.awaitingFirst = false;
        s.name = name;
        s.side = side;
        do {
            s.token = config.random();
        } while (s.token == 0);
        attach(id, c, m, seat);
        if (m.running) sendRunningMission(m, seat);
        if (seat != m.hostSeat) notify(m, NoticeKind::Joined, seat, m.running ? m.tick + 1 : 0);
    }

    void attach(ConnectionId id, Connection& c, Match& m, int seat) {
        SeatState& s = m.seats[seat];
        c.match = &m;
        c.seat = seat;
        m.lastActionMs = now;
        s.conn = id;
        s.connected = true;
        s.silent = false;
        s.away = false;
        s.lastHeardMs = now;
        send(id, Welcome{static_cast<uint8_t>(seat), s.token, m.code});
        // A first round trip now, so a mission started soon after gets a delay that fits.
        c.lastPingMs = now;
        send(id, Ping{now});
        if (!m.seats[m.hostSeat].connected) m.hostSeat = seat;
        broadcastLobby(m);
    }

    // A player arriving in a running mission gets its start and the relay's World, and a
    // computer-flown slot of their side from the next tick if there is one.
    void sendRunningMission(Match& m, int seat) {
        SeatState& s = m.seats[seat];
        Start start = m.recording.start();
        start.firstTick = m.tick + 1;
        start.inputDelay = static_cast<uint8_t>(m.delay);
        for (int i = 0; i < MAX_SEATS; ++i) start.seatSlot[i] = static_cast<int8_t>(m.seats[i].appliedSlot);
        send(s.conn, start);
        send(s.conn, WorldState{m.tick, WorldReason::Join, packWorld(*m.world)});
        for (uint32_t& t : s.keysTick) t = 0;
        s.lastKeys = 0;
        s.repairedThrough = m.tick;
        s.lastAgreedTick = m.tick;
        if (!seatInRunningMission(m, seat)) notify(m, NoticeKind::Watching, seat, m.tick + 1);
    }

    static std::string printableCode(const std::string& code) {
        std::string out;
        for (char ch : code) out += (ch >= 0x20 && ch < 0x7f) ? ch : '?';
        return out;
    }

    // --- the lobby ------------------------------------------------------------------------

    bool roomOn(const Match& m, Side side) const {
        int players = 0;
        for (const SeatState& s : m.seats)
            if (s.taken && s.side == side) ++players;
        return players < static_cast<int>(slotsOf(m, side).size());
    }

    void chooseSide(Match& m, int seat, Side side) {
        SeatState& s = m.seats[seat];
        if (m.running || s.side == side) return;
        if (!roomOn(m, side)) return notifyOne(m, NoticeKind::NoRoom, seat);
        s.side = side;
        broadcastLobby(m);
    }

    bool hostOnly(const Match& m, int seat) {
        if (seat == m.hostSeat) return true;
        notifyOne(m, NoticeKind::NotHost, seat);
        return false;
    }

    void pickMission(Match& m, int seat, int mission) {
        if (m.running || !hostOnly(m, seat)) return;
        m.mission = mission;
        broadcastLobby(m);
    }

    static int delayFor(uint32_t rttMs) {
        const int delay = static_cast<int>((rttMs + DELAY_MARGIN_MS + TICK_MS - 1) / TICK_MS);
        return std::clamp(delay, MIN_INPUT_DELAY, MAX_INPUT_DELAY);
    }

    int chooseDelay(const Match& m) const {
        uint32_t rtt = 0;
        for (const SeatState& s : m.seats)
            if (s.connected) rtt = std::max(rtt, s.rttMs);
        return delayFor(rtt);
    }

    // Matches due in the same millisecond wait for one another's Worlds, and missions started
    // together would stay together: a new one takes the least crowded of the 30 milliseconds
    // from earliest on.
    uint32_t leastCrowdedTickTime(uint32_t earliest) const {
        int crowd[TICK_MS] = {};
        for (const auto& [code, other] : matches)
            if (other->running) ++crowd[other->nextTickMs % TICK_MS];
        uint32_t best = earliest;
        for (uint32_t later = earliest + 1; later < earliest + TICK_MS; ++later)
            if (crowd[later % TICK_MS] < crowd[best % TICK_MS]) best = later;
        return best;
    }

    void startMission(Match& m, int seat) {
        if (m.running || !hostOnly(m, seat)) return;
        Start start{};
        start.seed = static_cast<uint32_t>(config.random());
        start.mission = static_cast<uint8_t>(m.mission);
        // Ticks count on from the last mission, past any keys still on their way for it.
        start.firstTick = m.tick + MAX_INPUT_DELAY + 2;
        start.inputDelay = static_cast<uint8_t>(chooseDelay(m));
        std::size_t taken[2] = {0, 0};
        int players = 0;
        for (int i = 0; i < MAX_SEATS; ++i) {
            SeatState& s = m.seats[i];
            s.slot = s.appliedSlot = s.lastSlot = NO_SLOT;
            start.seatSlot[i] = NO_SLOT;
            if (!s.connected) continue;
            ++players;
            if (s.away) continue;
            const std::vector<int>& slots = slotsOf(m, s.side);
            std::size_t& used = taken[static_cast<int>(s.side)];
            if (used < slots.size()) {
                s.slot = s.appliedSlot = slots[used++];
                start.seatSlot[i] = static_cast<int8_t>(s.slot);
            }
        }
        std::string error;
        if (!startMatch(*m.world, config.dataDir, matchSetupOf(start), error)) {
            logLines.push_back("match " + m.code + ": mission " + std::to_string(m.mission) +
                               " cannot start: " + error);
            return;
        }
        m.running = true;
        m.firstTick = start.firstTick;
        m.tick = start.firstTick - 1;
        m.delay = start.inputDelay;
        m.roster.clear();
        m.recording = MatchRecording(start);
        m.nextTickMs = leastCrowdedTickTime(now + TICK_MS);
        noteTickDue(m.nextTickMs);
        for (SeatState& s : m.seats) resetForMission(m, s);
        broadcast(m, start);
        broadcastLobby(m);
        for (int i = 0; i < MAX_SEATS; ++i) {
            const SeatState& s = m.seats[i];
            if (s.connected && s.slot == NO_SLOT)
                notify(m, s.away ? NoticeKind::Away : NoticeKind::Watching, i, m.firstTick);
        }
        logLines.push_back("match " + m.code + ": mission " + std::to_string(m.mission) + " started with " +
                           std::to_string(players) + " players, input delay " + std::to_string(m.delay) + " ticks");
    }

    void resetForMission(const Match& m, SeatState& s) {
        for (uint32_t& t : s.keysTick) t = 0;
        s.lastKeys = 0;
        s.silent = false;
        s.graceUntilTick = m.firstTick + static_cast<uint32_t>(m.delay) + s.rttMs / TICK_MS + 2;
        s.lateInWindow = 0;
        s.repairedThrough = 0;
        s.lastAgreedTick = 0;
    }

    void endMission(Match& m) {
        m.running = false;
        broadcast(m, End{m.tick});
        for (SeatState& s : m.seats) s.slot = s.appliedSlot = s.lastSlot = NO_SLOT;
        m.roster.clear();
        broadcastLobby(m);
        logLines.push_back("match " + m.code + ": mission " + std::to_string(m.mission) + " ended after " +
                           std::to_string(m.tick - m.firstTick + 1) + " ticks with " +
                           std::to_string(seatCount(m, [](const SeatState& s) { return s.connected; })) + " players, " +
                           std::to_string(m.desyncs) + " desyncs");
        m.desyncs = 0;
    }

    // --- a mission's ticks ----------------------------------------------------------------

    void storeInputs(Match& m, int seat, const Inputs& in) {
        SeatState& s = m.seats[seat];
        if (!m.running) return;
        for (std::size_t i = 0; i < in.keys.size(); ++i) {
            const uint32_t tick = in.firstTick + static_cast<uint32_t>(i);
            if (tick <= m.tick) {
                if (tick >= m.firstTick && m.tick - tick < LATE_BY_AT_MOST) countLate(m, s, tick);
                continue;
            }
            if (tick > m.tick + INPUT_WINDOW) continue;  // far ahead: a client of an earlier mission
            s.keys[tick % INPUT_WINDOW] = in.keys[i];
            s.keysTick[tick % INPUT_WINDOW] = tick;
        }
    }

    // Keys that came just after their tick ran: the player flew on their previous keys. Repeated
    // lateness means the delay is too short for someone's round trip.
    void countLate(Match& m, SeatState& s, uint32_t tick) {
        if (s.slot == NO_SLOT || tick <= s.graceUntilTick) return;
        ++counters.lateInputs;
        if (tick - s.lateWindowStart > LATE_WINDOW_TICKS) {
            s.lateWindowStart = tick;
            s.lateInWindow = 0;
        }
        if (++s.lateInWindow >= LATE_LIMIT) raiseDelay(m, m.delay + 1);
    }

    // From the next tick on, keys are sent delay ticks ahead; announced to everyone.
    void raiseDelay(Match& m, int delay) {
        delay = std::min(delay, MAX_INPUT_DELAY);
        if (delay <= m.delay) return;
        m.delay = delay;
        ++counters.delayRaises;
        const uint32_t from = m.tick + 1;
        broadcast(m, DelayChange{from, static_cast<uint8_t>(m.delay)});
        // Ticks from + old delay .. from + new delay get no keys from anyone: expected.
        for (SeatState& other : m.seats) {
            other.lateInWindow = 0;
            other.graceUntilTick = std::max(other.graceUntilTick, from + static_cast<uint32_t>(m.delay) + 1);
        }
    }

    void runTick(Match& m) {
        Tick t{};
        t.tick = m.tick + 1;
        if (m.tick >= m.firstTick && isHashTick(m.tick)) t.previousHash = m.hashes[m.tick % HASH_HISTORY];
        t.roster = std::move(m.roster);
        m.roster.clear();
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            SeatState& s = m.seats[seat];
            s.appliedSlot = s.slot;
            if (s.slot == NO_SLOT) continue;
            const uint32_t i = t.tick % INPUT_WINDOW;
            if (s.keysTick[i] == t.tick) s.lastKeys = s.keys[i];
            t.flying = static_cast<uint16_t>(t.flying | (1u << seat));
            t.keys[seat] = s.lastKeys;
        }
        broadcast(m, t);
        runLockstepTick(*m.world, t);
        m.tick = t.tick;
        if (isHashTick(t.tick)) {
            m.hashes[t.tick % HASH_HISTORY] = matchHash(*m.world);
            m.hashTicks[t.tick % HASH_HISTORY] = t.tick;
        }
        m.recording.append(t);
        ++counters.ticksRun;
        if (matchEnded(*m.world)) endMission(m);
    }

    void runDueTicks(Match& m) {
        if (static_cast<int32_t>(now - m.nextTickMs) > static_cast<int32_t>(MAX_CATCH_UP_MS)) m.nextTickMs = now;
        while (m.running && reached(now, m.nextTickMs)) {
            runTick(m);
            m.nextTickMs += TICK_MS;
        }
    }

    void checkHash(Match& m, int seat, const WorldHash& h) {
        SeatState& s = m.seats[seat];
        if (!m.running || h.tick > m.tick || h.tick < m.firstTick || h.tick <= s.repairedThrough) return;
        const uint32_t i = h.tick % HASH_HISTORY;
        if (m.hashTicks[i] != h.tick) return;  // too old to compare
        if (m.hashes[i] == h.hash) {
            s.lastAgreedTick = std::max(s.lastAgreedTick, h.tick);
            return;
        }
        if (since(now, s.lastRepairMs) < REPAIR_INTERVAL_MS && s.lastRepairMs != 0) return;
        const Desync d{h.tick, m.hashes[i], h.hash, s.lastAgreedTick};
        send(s.conn, d);
        send(s.conn, WorldState{m.tick, WorldReason::Repair, packWorld(*m.world)});
        s.repairedThrough = m.tick;
        s.lastRepairMs = now;
        s.lastAgreedTick = m.tick;
        ++m.desyncs;
        ++counters.desyncs;
        reports.push_back({m.code, seat, d, nullptr, std::make_shared<MatchRecording>(m.recording)});
    }

    // --- time limits ----------------------------------------------------------------------

    void dropSilentPlayers(Match& m) {
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            SeatState& s = m.seats[seat];
            if (!m.running || !s.connected || s.silent || s.slot == NO_SLOT) continue;
            if (since(now, s.lastHeardMs) < config.silenceMs) continue;
            s.silent = true;
            schedule(m, seat, NO_SLOT);
            notify(m, NoticeKind::Dropped, seat, m.tick + 1);
        }
    }

    void heard(Match& m, int seat) {
        SeatState& s = m.seats[seat];
        s.lastHeardMs = now;
        if (!s.silent) return;
        s.silent = false;
        if (m.running && !s.away && seatInRunningMission(m, seat)) notify(m, NoticeKind::Returned, seat, m.tick + 1);
    }

    // Looking away hands the slot to the computer at once, as a silence would after a second;
    // coming back takes a slot again, the same one where it is still flying.
    void setAway(Match& m, int seat, bool away) {
        SeatState& s = m.seats[seat];
        if (s.away == away) return;
        s.away = away;
        if (!m.running) return;
        if (away) {
            if (s.slot == NO_SLOT) return;
            schedule(m, seat, NO_SLOT);
            notify(m, NoticeKind::Away, seat, m.tick + 1);
        } else if (s.slot == NO_SLOT && seatInRunningMission(m, seat)) {
            notify(m, NoticeKind::Returned, seat, m.tick + 1);
        }
    }

    // Nobody did anything but answer pings for the configured time: the match ends, so
    // abandoned tabs do not hold a public relay's places.
    bool closeIfIdle(Match& m) {
        if (since(now, m.lastActionMs) < config.idleMatchMs) return false;
        if (m.running) endMission(m);
        const uint32_t minutes = std::max<uint32_t>(1, config.idleMatchMs / 60000);
        const std::string idleText = minutes == 1 ? "a minute" : std::to_string(minutes) + " minutes";
        for (const SeatState& s : m.seats) {
            const auto found = connections.find(s.conn);
            if (!s.connected || found == connections.end()) continue;
            refuse(s.conn, found->second, RefusalCode::Timeout,
                   "the match closed: nobody played in it for " + idleText);
        }
        for (SeatState& s : m.seats) s.taken = false;
        m.awaitingFirst = false;
        logLines.push_back("match " + m.code + ": closed after " + std::to_string(config.idleMatchMs / 1000) +
                           " idle seconds");
        return true;
    }

    // Places kept for dropped players run out; a match nobody holds a place in closes.
    void expirePlaces(Match& m) {
        bool changed = false;
        for (SeatState& s : m.seats) {
            if (s.taken && !s.connected && since(now, s.leftAtMs) >= config.rejoinWindowMs) {
                s.taken = false;
                changed = true;
            }
        }
        if (changed) broadcastLobby(m);
    }

    void closeEmptyMatches() {
        for (auto it = matches.begin(); it != matches.end();) {
            Match& m = *it->second;
            if (!m.awaitingFirst && seatCount(m, [](const SeatState& s) { return s.taken; }) == 0) {
                if (m.running) endMission(m);
                logLines.push_back("match " + m.code + ": closed, nobody is left");
                it = matches.erase(it);
            } else {
                ++it;
            }
        }
    }

    // Pings, and every limit on time: hellos, silences, idle matches, places kept.
    void keepTimeLimits() {
        for (auto& [id, c] : connections) {
            if (c.closing) continue;
            if (!c.greeted && since(now, c.openedMs) >= config.helloTimeoutMs) {
                refuse(id, c, RefusalCode::Timeout, "no hello came");
            } else if (c.greeted && since(now, c.lastPingMs) >= config.pingIntervalMs) {
                c.lastPingMs = now;
                send(id, Ping{now});
            }
        }
        for (auto& [code, m] : matches) {
            if (closeIfIdle(*m)) continue;
            dropSilentPlayers(*m);
            expirePlaces(*m);
        }
        closeEmptyMatches();
        pruneConnectAllowances();
    }

    // --- messages -------------------------------------------------------------------------

    // New connections from one address: a minute's worth at once, then at the configured rate.
    bool mayConnect(const std::string& peer) {
        const double perMinute = config.connectsPerMinute;
        auto [entry, added] = connectsByPeer.try_emplace(peer, ConnectAllowance{perMinute, now});
        ConnectAllowance& a = entry->second;
        a.left = std::min(perMinute, a.left + since(now, a.atMs) * perMinute / 60000.0);
        a.atMs = now;
        if (a.left < 1) return false;
        a.left -= 1;
        return true;
    }

    // Addresses whose allowance has filled up again are forgotten: the table stays as small as
    // the last minute's visitors.
    void pruneConnectAllowances() {
        if (since(now, lastPruneMs) < 60000) return;
        lastPruneMs = now;
        std::erase_if(connectsByPeer, [this](const auto& entry) { return since(now, entry.second.atMs) >= 60000; });
    }

    // A fixed-rate allowance with bursts up to twice the rate.
    bool withinRate(Connection& c) {
        const double rate = config.messagesPerSecond;
        c.allowance = std::min(2 * rate, c.allowance + since(now, c.allowanceMs) * rate / 1000.0);
        c.allowanceMs = now;
        if (c.allowance < 1) return false;
        c.allowance -= 1;
        return true;
    }

    void dispatch(ConnectionId id, Connection& c, ClientMessage& message) {
        if (!c.greeted) {
            if (Hello* h = std::get_if<Hello>(&message)) return greet(id, c, *h);
            return refuse(id, c, RefusalCode::Malformed, "the first message must be a hello");
        }
        if (std::holds_alternative<Hello>(message))
            return refuse(id, c, RefusalCode::Malformed, "a second hello on one connection");
        if (c.match == nullptr) return;
        Match& m = *c.match;
        const int seat = c.seat;
        heard(m, seat);
        if (!std::holds_alternative<Pong>(message)) m.lastActionMs = now;
        std::visit(
            [&](const auto& body) {
                using T = std::decay_t<decltype(body)>;
                if constexpr (std::is_same_v<T, ChooseSide>) chooseSide(m, seat, body.side);
                if constexpr (std::is_same_v<T, PickMission>) pickMission(m, seat, body.mission);
                if constexpr (std::is_same_v<T, StartMission>) startMission(m, seat);
                if constexpr (std::is_same_v<T, Inputs>) storeInputs(m, seat, body);
                if constexpr (std::is_same_v<T, WorldHash>) checkHash(m, seat, body);
                if constexpr (std::is_same_v<T, Pong>) {
                    measureRoundTrip(m.seats[seat], body);
                    followRoundTrip(m, m.seats[seat]);
                }
                if constexpr (std::is_same_v<T, Away>) setAway(m, seat, body.away);
                if constexpr (std::is_same_v<T, Leave>) leave(id, c);
            },
            message);
    }

    // The connection's round trip is the shortest of its last few: a ping held up by a lost
    // segment says nothing about the delay the keys need.
    void measureRoundTrip(SeatState& s, const Pong& p) {
        const uint32_t rtt = since(now, p.stamp);
        if (rtt > 10000) return;  // not a stamp of ours
        s.rttSamples[s.rttSamplesTaken++ % RTT_SAMPLES] = rtt;
        const std::size_t taken = std::min<std::size_t>(s.rttSamplesTaken, RTT_SAMPLES);
        s.rttMs = *std::min_element(s.rttSamples, s.rttSamples + taken);
    }

    // A flying player's route got longer: the delay follows before their keys come late.
    void followRoundTrip(Match& m, const SeatState& s) {
        if (m.running && s.slot != NO_SLOT) raiseDelay(m, delayFor(s.rttMs));
    }

    void leave(ConnectionId id, Connection& c) {
        detach(c, NoticeKind::Left);
        c.closing = true;
        outgoing.push_back({id, {}, true});
        closeEmptyMatches();
    }
};

std::unique_ptr<Relay> Relay::create(RelayConfig config, std::string& error) {
    auto state = std::make_unique<State>();
    for (int mission = 1; mission <= MISSION_COUNT; ++mission)
        if (!readMissionSides(config.dataDir, mission, state->sides[mission - 1], error)) return nullptr;
    state->config = std::move(config);
    return std::unique_ptr<Relay>(new Relay(std::move(state)));
}

Relay::Relay(std::unique_ptr<State> state) : s_(std::move(state)) {}
Relay::~Relay() = default;

void Relay::open(ConnectionId id, const std::string& peer, const std::string& code, uint32_t nowMs) {
    State& s = *s_;
    s.now = nowMs;
    Connection& c = s.connections[id];
    c.peer = peer;
    c.code = normalizeJoinCode(code).value_or(code);
    c.openedMs = c.allowanceMs = c.lastPingMs = nowMs;
    c.allowance = s.config.messagesPerSecond;
    const int fromPeer = ++s.connectionsByPeer[peer];
    if (static_cast<int>(s.connections.size()) > s.config.maxConnections) {
        s.refuse(id, c, RefusalCode::RelayFull, "this relay has all the players it can take; try again later");
    } else if (fromPeer > s.config.maxConnectionsPerAddress) {
        s.refuse(id, c, RefusalCode::RelayFull, "too many connections from your address");
    } else if (!s.mayConnect(peer)) {
        s.refuse(id, c, RefusalCode::Flood, "too many new connections from your address; wait a minute");
    }
}

void Relay::receive(ConnectionId id, const uint8_t* data, std::size_t size, uint32_t nowMs) {
    State& s = *s_;
    s.now = nowMs;
    const auto found = s.connections.find(id);
    if (found == s.connections.end() || found->second.closing) return;
    Connection& c = found->second;
    if (!s.withinRate(c)) return s.refuse(id, c, RefusalCode::Flood, "too many messages");
    if (size > MAX_CLIENT_MESSAGE_BYTES)
        return s.refuse(id, c, RefusalCode::TooLarge, "a message of " + std::to_string(size) + " bytes is too large");
    ClientMessage message;
    std::string error;
    if (!decodeClientMessage(data, size, message, error)) return s.refuse(id, c, RefusalCode::Malformed, error);
    s.dispatch(id, c, message);
}

void Relay::closed(ConnectionId id, uint32_t nowMs) {
    State& s = *s_;
    s.now = nowMs;
    const auto found = s.connections.find(id);
    if (found == s.connections.end()) return;
    s.detach(found->second, NoticeKind::Dropped);
    if (--s.connectionsByPeer[found->second.peer] == 0) s.connectionsByPeer.erase(found->second.peer);
    s.connections.erase(found);
}

std::string Relay::openMatch(uint32_t nowMs) {
    State& s = *s_;
    s.now = nowMs;
    Match& m = s.newMatch(s.unusedCode());
    m.awaitingFirst = true;
    s.logLines.push_back("match " + m.code + ": opened, waiting for its first player");
    return m.code;
}

void Relay::advance(uint32_t nowMs) {
    State& s = *s_;
    s.now = nowMs;
    if (!s.lastTimeLimitsMs || since(nowMs, *s.lastTimeLimitsMs) >= TIME_LIMITS_EVERY_MS) {
        s.lastTimeLimitsMs = nowMs;
        s.keepTimeLimits();
    }
    s.tickDue.reset();
    for (auto& [code, m] : s.matches) {
        s.runDueTicks(*m);
        if (m->running) s.noteTickDue(m->nextTickMs);
    }
}

uint32_t Relay::msUntilDue(uint32_t nowMs) const {
    const uint32_t wait = s_->config.pingIntervalMs;
    if (!s_->tickDue) return wait;
    if (reached(nowMs, *s_->tickDue)) return 0;
    return std::min(wait, *s_->tickDue - nowMs);
}

std::vector<Outgoing> Relay::takeOutgoing() { return std::exchange(s_->outgoing, {}); }
std::vector<std::string> Relay::takeLogLines() { return std::exchange(s_->logLines, {}); }
std::vector<DesyncReport> Relay::takeDesyncReports() { return std::exchange(s_->reports, {}); }
std::optional<MatchStatus> Relay::matchStatus(const std::string& code) const {
    const auto found = s_->matches.find(code);
    if (found == s_->matches.end()) return std::nullopt;
    const Match& m = *found->second;
    return MatchStatus{m.running, m.mission,           seatCount(m, [](const SeatState& s) { return s.connected; }),
                       m.tick,    hashWorld(*m.world), m.delay};
}

std::size_t Relay::matchCount() const { return s_->matches.size(); }
std::size_t Relay::connectionCount() const { return s_->connections.size(); }
const RelayCounters& Relay::counters() const { return s_->counters; }

}  // namespace vantrel::net
