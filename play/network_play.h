// A network game as the session plays it: the link to the relay and the lockstep client over
// it, the lobby's keys and screen, and the lines of news a mission shows. The platform opens
// the link; everything else is the same on every platform.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "net/join_code.h"
#include "net/link.h"
#include "net/lockstep_client.h"
#include "net/run_ahead.h"
#include "render/lobby_screen.h"

namespace vantrel {

// What the command line or the menu asks of a network game before it opens.
struct NetworkRequest {
    std::string joinText;  // "HOST:PORT/CODE" as shown to the others
    bool hosting = false;
    int startWith = 0;  // the host starts the mission once this many players are in (0: SPACE does)
    int mission = 0;    // the host's first highlighted mission (0: the lobby's)
};

class NetworkPlay {
public:
    NetworkPlay(std::unique_ptr<net::MessageLink> link, net::JoinAddress address, net::ClientSettings settings,
                NetworkRequest request, uint32_t nowMs);

    // Reads the relay's news; every pass of the loop.
    void update(uint32_t nowMs);
    net::ClientPhase phase() const { return client_->phase(); }
    const std::string& closeReason() const { return client_->closeReason(); }
    net::LockstepClient& client() { return *client_; }
    const net::LockstepClient& client() const { return *client_; }
    int seat() const { return client_->seat(); }
    // The screen's guess while the relay's next tick is late.
    net::RunAhead& ahead() { return ahead_; }
    const net::RunAhead& ahead() const { return ahead_; }
    // A tick's sounds play once, from its guess or from the relay's tick: true the first time.
    bool firstHearing(uint32_t tick) {
        if (tick <= heardThrough_) return false;
        heardThrough_ = tick;
        return true;
    }

    // After a lost connection, a try a second at the same match for a while, each with this
    // player's seat.
    bool mayRejoin(uint32_t nowMs) const {
        return client_->mayRejoin() && rejoinsLeft_ > 0 && nowMs - lastRejoinMs_ >= REJOIN_INTERVAL_MS;
    }
    bool triesLeft() const { return client_->mayRejoin() && rejoinsLeft_ > 0; }
    net::JoinAddress rejoinAddress() const;
    // A new link to the same match takes the seat back with the relay's token.
    void rejoin(std::unique_ptr<net::MessageLink> link, uint32_t nowMs);
    // "HOST:PORT/CODE", what the others type to join.
    std::string joinText() const;

    // The lobby's keys, pressed in this snapshot: up and down pick the mission and SPACE starts
    // it for the host; left and right change side; ESC leaves (true: the player left).
    bool lobbyKeys(const uint8_t pressed[256]);
    render::LobbyScreen lobbyScreen() const;

    // The news of the last few seconds, oldest first.
    std::vector<std::string> noticeLines(uint32_t nowMs);

private:
    struct Shown {
        std::string line;
        uint32_t sinceMs;
    };
    void startWhenEveryoneIsIn();
    void showUnlessLast(const char* line, uint32_t nowMs);
    std::string joinLine() const;
    std::string keysLine() const;

    std::unique_ptr<net::MessageLink> link_;
    net::JoinAddress address_;
    net::ClientSettings settings_;
    std::unique_ptr<net::LockstepClient> client_;
    net::RunAhead ahead_;
    uint32_t heardThrough_ = 0;
    NetworkRequest request_;
    static constexpr uint32_t REJOIN_INTERVAL_MS = 1000;
    int rejoinsLeft_;
    uint32_t lastRejoinMs_ = 0;
    bool missionPicked_ = false;
    bool startAsked_ = false;
    std::deque<Shown> shown_;
};

}  // namespace vantrel
