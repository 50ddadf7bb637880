// A player's side of a network match, without sockets: it greets the relay, keeps the lobby,
// sends the local player's keys for tick T + delay as tick T runs, hands out each tick once the
// relay has sent everyone's keys for it, reports World hashes, takes a repair, and ends with a
// reason when the relay is gone. The game calls update and runNextTick from its loop.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/link.h"
#include "net/lockstep.h"
#include "net/messages.h"

namespace vantrel::net {

struct ClientSettings {
    std::string dataDir;
    Hello hello;                     // name, game version, data files, hosting or joining, a rejoin token
    uint32_t relaySilenceMs = 5000;  // the relay pings twice a second: this long without a word, it is gone
};

enum class ClientPhase { Connecting, Lobby, Mission, Closed };

class LockstepClient {
public:
    LockstepClient(MessageLink& link, ClientSettings settings, uint32_t nowMs);

    // Reads what arrived, answers the relay's pings, notices a lost relay. Every pass of the loop.
    void update(uint32_t nowMs);
    ClientPhase phase() const { return phase_; }
    // Why the match ended for this player, worded for them.
    const std::string& closeReason() const { return closeReason_; }
    // The connection went (no refusal, nobody left): a new one with token() may take the seat back.
    bool mayRejoin() const { return phase_ == ClientPhase::Closed && connectionLost_ && token_ != 0; }

    // --- the lobby ---
    int seat() const { return seat_; }
    const std::string& code() const { return code_; }
    uint64_t token() const { return token_; }  // for a rejoin after a lost connection
    const Lobby& lobby() const { return lobby_; }
    bool isHost() const { return phase_ != ClientPhase::Connecting && lobby_.hostSeat == seat_; }
    void chooseSide(Side side);
    void pickMission(int mission);  // host only
    void startMission();            // host only
    // Leaves the match: the computer flies the slot, the link closes.
    void leave();
    // The player looked away (a hidden tab, a window without the focus) or came back: the
    // computer flies their slot meanwhile, and the others fly on.
    void setAway(bool away);
    bool away() const { return away_; }

    // --- the mission ---
    // Ticks whose keys are all here: a client that fell behind runs several at once.
    int ticksReady() const { return ticksReady_; }
    // Runs the next tick on w when its keys are here (starting the mission, taking the relay's
    // World first where it sent one) with keys as the local player's keys for tick + delay.
    // False when there is nothing to run yet, or the mission ended (phase() is Lobby again).
    bool runNextTick(World& w, const uint8_t keys[256]);
    uint32_t lastTick() const { return lastTick_; }                // numbered as on the wire
    int slot() const { return seatSlot_[seat_ < 0 ? 0 : seat_]; }  // NO_SLOT: watching
    int seatSlot(int seat) const { return seatSlot_[seat]; }
    int inputDelay() const { return delay_; }
    // Waiting for the relay's next tick with the World of its last one: a guess may run ahead.
    bool mayRunAhead() const {
        return phase_ == ClientPhase::Mission && flow_.empty() && ticksReady_ == 0 && ranSinceNewWorld_;
    }
    // Tick as the relay will most likely send it: every human's keys as in its last tick, this
    // player's own as sent for it.
    Tick guessedTick(uint32_t tick) const;
    // Sends the keys for the tick after a guessed one, once, as running it would have.
    void sendKeysAfterGuess(uint32_t guessedTick, const uint8_t keys[256]);
    // True for a second after the relay repaired this player's World.
    bool repairedRecently(uint32_t nowMs) const;
    // This player's World differs from the relay's by the hash the relay sent: true from then
    // until the relay's World comes. The relay finds it too and sends its World.
    bool outOfStep() const { return outOfStep_; }

    // The mission flown so far (from the World a joiner was given), for the player's --record.
    std::shared_ptr<const MatchRecording> recording() const { return recording_; }

    std::vector<Notice> takeNotices() { return std::exchange(notices_, {}); }
    std::vector<DesyncReport> takeDesyncReports() { return std::exchange(reports_, {}); }

private:
    struct Checkpoint {
        uint32_t tick;
        uint64_t hash;
        std::shared_ptr<World> world;
    };

    void handle(RelayMessage& m);
    void closeWith(const std::string& reason);
    void send(const ClientMessage& m);
    void applyStart(World& w, const Start& s);
    void applyWorldState(World& w, const WorldState& s);
    void reportDesync(const Desync& d);
    void afterTick(const World& w, const uint8_t keys[256]);
    void compareWithRelay(const Tick& t);
    void flushInputs();
    void queueKeys(uint32_t inputTick, const uint8_t keys[256]);

    MessageLink& link_;
    ClientSettings settings_;
    ClientPhase phase_ = ClientPhase::Connecting;
    std::string closeReason_;
    bool helloSent_ = false;
    bool connectionLost_ = false;
    bool away_ = false;
    uint32_t now_ = 0;
    uint32_t lastHeardMs_;

    int seat_ = -1;
    std::string code_;
    uint64_t token_ = 0;
    Lobby lobby_;
    std::vector<Notice> notices_;

    std::deque<RelayMessage> flow_;  // starts, ticks, delay changes, World states, desyncs, ends
    int ticksReady_ = 0;
    uint32_t lastTick_ = 0;
    int delay_ = 2;
    int8_t seatSlot_[MAX_SEATS];
    uint8_t heightmap_[GRID_SAMPLES];  // the mission's, restored under a World the relay sends
    std::shared_ptr<MatchRecording> recording_;
    std::vector<Checkpoint> checkpoints_;  // the World at recent hash ticks, oldest first
    Inputs pendingInputs_{0, {}};
    uint32_t keysSentThrough_ = 0;  // the last tick this player's keys went out for
    static constexpr uint32_t KEYS_KEPT = 64;
    SeatKeys keysSent_[KEYS_KEPT] = {};
    uint32_t keysSentTick_[KEYS_KEPT] = {};
    Tick lastRun_{};                 // the relay's last tick run, its roster changes left out
    bool ranSinceNewWorld_ = false;  // a tick ran since the last start or World the relay sent
    std::optional<uint32_t> repairedAtMs_;
    bool outOfStep_ = false;
    std::vector<DesyncReport> reports_;
};

}  // namespace vantrel::net
