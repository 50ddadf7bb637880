#include "net/lockstep_client.h"

#include <algorithm>
#include <cstring>

namespace vantrel::net {

namespace {

constexpr std::size_t CHECKPOINTS_KEPT = 128 / HASH_INTERVAL_TICKS;  // a little over 3.8 s of Worlds
constexpr uint32_t REPAIR_NOTICE_MS = 1000;
// A client this far behind the relay's last tick skips its hashes: a long pause's catch-up
// stays within the message rate, while one lost segment's (about 8 ticks) still reports each.
constexpr int HASHES_SKIPPED_BEHIND = 16;

// At most MAX_NAME_BYTES, cut between UTF-8 characters.
std::string shortenedName(const std::string& name) {
    std::size_t size = std::min(name.size(), MAX_NAME_BYTES);
    while (size > 0 && size < name.size() && (static_cast<uint8_t>(name[size]) & 0xC0) == 0x80) --size;
    return name.substr(0, size);
}

}  // namespace

LockstepClient::LockstepClient(MessageLink& link, ClientSettings settings, uint32_t nowMs)
    : link_(link), settings_(std::move(settings)), now_(nowMs), lastHeardMs_(nowMs),
      token_(settings_.hello.rejoinToken) {
    settings_.hello.name = shortenedName(settings_.hello.name);
    std::fill(std::begin(seatSlot_), std::end(seatSlot_), static_cast<int8_t>(NO_SLOT));
    std::memset(heightmap_, 0, sizeof heightmap_);
}

void LockstepClient::update(uint32_t nowMs) {
    now_ = nowMs;
    if (phase_ == ClientPhase::Closed) return;
    link_.poll();
    if (link_.state() == MessageLink::State::Open && !helloSent_) {
        send(settings_.hello);
        helloSent_ = true;
    }
    Bytes bytes;
    while (phase_ != ClientPhase::Closed && link_.receive(bytes)) {
        RelayMessage m;
        std::string error;
        if (!decodeRelayMessage(bytes.data(), bytes.size(), m, error)) {
            closeWith("the relay sent a message this game cannot read (" + error + ")");
            return;
        }
        lastHeardMs_ = nowMs;
        handle(m);
    }
    if (phase_ == ClientPhase::Closed) return;
    if (link_.state() == MessageLink::State::Closed) {
        const std::string why = link_.closeReason();
        closeWith(why.empty() ? "the connection to the relay was lost" : why);
        connectionLost_ = true;
    } else if (nowMs - lastHeardMs_ >= settings_.relaySilenceMs) {
        closeWith(helloSent_ ? "the relay stopped answering" : "the relay cannot be reached");
        connectionLost_ = true;
    }
}

void LockstepClient::handle(RelayMessage& m) {
    if (auto* welcome = std::get_if<Welcome>(&m)) {
        seat_ = welcome->seat;
        token_ = welcome->token;
        code_ = welcome->code;
        if (phase_ == ClientPhase::Connecting) {
            phase_ = ClientPhase::Lobby;
            if (away_) send(Away{true});  // looked away while connecting
        }
    } else if (auto* lobby = std::get_if<Lobby>(&m)) {
        lobby_ = std::move(*lobby);
    } else if (auto* notice = std::get_if<Notice>(&m)) {
        notices_.push_back(std::move(*notice));
    } else if (auto* ping = std::get_if<Ping>(&m)) {
        send(Pong{ping->stamp});
    } else if (auto* refusal = std::get_if<Refusal>(&m)) {
        closeWith(refusal->reason);
    } else {
        if (std::holds_alternative<Start>(m)) phase_ = ClientPhase::Mission;
        if (std::holds_alternative<Tick>(m)) ++ticksReady_;
        if (auto* state = std::get_if<WorldState>(&m)) {
            // The World replaces every tick the relay sent before it: they need not run.
            const uint32_t upTo = state->tick;
            const auto covered = [upTo](const RelayMessage& queued) {
                const Tick* t = std::get_if<Tick>(&queued);
                return t != nullptr && t->tick <= upTo;
            };
            ticksReady_ -= static_cast<int>(std::count_if(flow_.begin(), flow_.end(), covered));
            flow_.erase(std::remove_if(flow_.begin(), flow_.end(), covered), flow_.end());
        }
        flow_.push_back(std::move(m));
    }
}

void LockstepClient::closeWith(const std::string& reason) {
    if (phase_ == ClientPhase::Closed) return;
    phase_ = ClientPhase::Closed;
    closeReason_ = reason;
    link_.close();
}

void LockstepClient::send(const ClientMessage& m) { link_.send(encodeClientMessage(m)); }

void LockstepClient::chooseSide(Side side) {
    if (phase_ == ClientPhase::Lobby) send(ChooseSide{side});
}

void LockstepClient::pickMission(int mission) {
    if (phase_ == ClientPhase::Lobby && mission >= 1 && mission <= MISSION_COUNT)
        send(PickMission{static_cast<uint8_t>(mission)});
}

void LockstepClient::startMission() {
    if (phase_ == ClientPhase::Lobby) send(StartMission{});
}

void LockstepClient::leave() {
    if (phase_ == ClientPhase::Closed) return;
    if (helloSent_) send(Leave{});
    closeWith("you left the match");
}

void LockstepClient::setAway(bool away) {
    if (away == away_) return;
    away_ = away;
    if (phase_ == ClientPhase::Lobby || phase_ == ClientPhase::Mission) send(Away{away});
}

bool LockstepClient::repairedRecently(uint32_t nowMs) const {
    return repairedAtMs_ && nowMs - *repairedAtMs_ < REPAIR_NOTICE_MS;
}

bool LockstepClient::runNextTick(World& w, const uint8_t keys[256]) {
    while (!flow_.empty()) {
        RelayMessage m = std::move(flow_.front());
        flow_.pop_front();
        if (auto* start = std::get_if<Start>(&m)) {
            applyStart(w, *start);
        } else if (auto* state = std::get_if<WorldState>(&m)) {
            applyWorldState(w, *state);
        } else if (auto* change = std::get_if<DelayChange>(&m)) {
            delay_ = change->inputDelay;
        } else if (auto* desync = std::get_if<Desync>(&m)) {
            reportDesync(*desync);
        } else if (std::holds_alternative<End>(m)) {
            flushInputs();
            phase_ = ClientPhase::Lobby;
            std::fill(std::begin(seatSlot_), std::end(seatSlot_), static_cast<int8_t>(NO_SLOT));
            return false;
        } else if (auto* tick = std::get_if<Tick>(&m)) {
            --ticksReady_;
            compareWithRelay(*tick);
            runLockstepTick(w, *tick);
            for (const RosterChange& c : tick->roster) seatSlot_[c.seat] = c.slot;
            lastTick_ = tick->tick;
            if (recording_) recording_->append(*tick);
            lastRun_ = *tick;
            lastRun_.roster.clear();
            ranSinceNewWorld_ = true;
            afterTick(w, keys);
            return true;
        }
    }
    return false;
}

void LockstepClient::applyStart(World& w, const Start& s) {
    std::string error;
    if (!startMatch(w, settings_.dataDir, matchSetupOf(s), error)) {
        send(Leave{});
        closeWith("the mission cannot start: " + error);
        return;
    }
    std::memcpy(heightmap_, w.heightmap, sizeof heightmap_);
    std::memcpy(seatSlot_, s.seatSlot, sizeof seatSlot_);
    lastTick_ = s.firstTick - 1;
    delay_ = s.inputDelay;
    recording_ = std::make_shared<MatchRecording>(s);
    checkpoints_.clear();
    pendingInputs_.keys.clear();
    keysSentThrough_ = 0;
    ranSinceNewWorld_ = false;
    outOfStep_ = false;
}

void LockstepClient::applyWorldState(World& w, const WorldState& s) {
    unpackWorld(s.world, w);
    std::memcpy(w.heightmap, heightmap_, sizeof heightmap_);
    lastTick_ = s.tick;
    checkpoints_.clear();
    ranSinceNewWorld_ = false;
    outOfStep_ = false;
    if (s.reason == WorldReason::Repair) repairedAtMs_ = now_;
    // A World from the middle of the mission: the recording is only worth keeping from here
    // on when it can be replayed, which a joiner's never can.
    if (recording_ && recording_->start().firstTick <= s.tick) {
        Start joined = recording_->start();
        joined.firstTick = s.tick + 1;
        std::memcpy(joined.seatSlot, seatSlot_, sizeof joined.seatSlot);
        recording_ = std::make_shared<MatchRecording>(joined);
    }
}

void LockstepClient::reportDesync(const Desync& d) {
    std::shared_ptr<const World> agreed;
    for (const Checkpoint& c : checkpoints_)
        if (c.tick == d.lastAgreedTick) agreed = c.world;
    reports_.push_back({code_, seat_, d, agreed, recording_});
}

void LockstepClient::afterTick(const World& w, const uint8_t keys[256]) {
    const uint32_t inputTick = lastTick_ + static_cast<uint32_t>(delay_);
    // The relay has decided every tick it sent: keys for those would only come late. A client
    // catching up after a pause skips them, and its hashes until it is nearly there.
    const uint32_t decided = lastTick_ + static_cast<uint32_t>(ticksReady_);
    if (inputTick > decided) {
        queueKeys(inputTick, keys);
        if (ticksReady_ == 0 || pendingInputs_.keys.size() == MAX_INPUTS_PER_MESSAGE) flushInputs();
    }
    if (!isHashTick(lastTick_) || ticksReady_ >= HASHES_SKIPPED_BEHIND) return;
    const uint64_t hash = matchHash(w);
    send(WorldHash{lastTick_, hash});
    if (checkpoints_.size() == CHECKPOINTS_KEPT) checkpoints_.erase(checkpoints_.begin());
    checkpoints_.push_back({lastTick_, hash, std::make_shared<World>(w)});
}

// Only the last checkpoint can be the tick before: the relay's ticks run in order.
void LockstepClient::compareWithRelay(const Tick& t) {
    if (!t.previousHash || checkpoints_.empty()) return;
    const Checkpoint& last = checkpoints_.back();
    if (last.tick + 1 == t.tick && last.hash != *t.previousHash) outOfStep_ = true;
}

// Keys go out once a tick: a guess ahead may have sent them before the relay's tick ran.
void LockstepClient::queueKeys(uint32_t inputTick, const uint8_t keys[256]) {
    if (inputTick <= keysSentThrough_) return;
    if (!pendingInputs_.keys.empty() && pendingInputs_.firstTick + pendingInputs_.keys.size() != inputTick)
        flushInputs();  // the delay grew: the keys no longer follow on
    if (pendingInputs_.keys.empty()) pendingInputs_.firstTick = inputTick;
    const SeatKeys packed = packSeatKeys(keys);
    pendingInputs_.keys.push_back(packed);
    keysSent_[inputTick % KEYS_KEPT] = packed;
    keysSentTick_[inputTick % KEYS_KEPT] = inputTick;
    keysSentThrough_ = inputTick;
}

Tick LockstepClient::guessedTick(uint32_t tick) const {
    Tick t = lastRun_;
    t.tick = tick;
    const bool flying = seat_ >= 0 && (t.flying & (1u << seat_)) != 0;
    if (flying && keysSentTick_[tick % KEYS_KEPT] == tick) t.keys[seat_] = keysSent_[tick % KEYS_KEPT];
    return t;
}

void LockstepClient::sendKeysAfterGuess(uint32_t guessedTick, const uint8_t keys[256]) {
    queueKeys(guessedTick + static_cast<uint32_t>(delay_), keys);
    flushInputs();
}

void LockstepClient::flushInputs() {
    if (pendingInputs_.keys.empty()) return;
    send(pendingInputs_);
    pendingInputs_.keys.clear();
}

}  // namespace vantrel::net
