#include "play/network_play.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "net/notices.h"
#include "world/keys.h"
#include "world/situation.h"

namespace vantrel {

namespace {

constexpr uint32_t NOTICE_SHOWN_MS = 4000;
constexpr std::size_t NOTICES_AT_ONCE = 3;
constexpr const char* OUT_OF_STEP_NOTICE = "YOUR WORLD IS OUT OF STEP: WAITING FOR THE RELAY'S";
constexpr const char* REPAIR_NOTICE = "YOUR WORLD WAS OUT OF STEP: THE RELAY'S TAKEN";
constexpr const char* REJOIN_NOTICE = "THE CONNECTION WAS LOST: JOINING AGAIN";
constexpr int REJOIN_TRIES = 15;

bool pressed(const uint8_t keys[256], int vk) { return (keys[vk] & KEY_DOWN_BIT) != 0; }

int connectedPlayers(const net::Lobby& lobby) {
    return static_cast<int>(std::count_if(lobby.players.begin(), lobby.players.end(),
                                          [](const net::LobbyPlayer& p) { return p.connected; }));
}

}  // namespace

NetworkPlay::NetworkPlay(std::unique_ptr<net::MessageLink> link, net::JoinAddress address, net::ClientSettings settings,
                         NetworkRequest request, uint32_t nowMs)
    : link_(std::move(link)), address_(std::move(address)), settings_(std::move(settings)),
      client_(std::make_unique<net::LockstepClient>(*link_, settings_, nowMs)), request_(std::move(request)),
      rejoinsLeft_(REJOIN_TRIES) {}

net::JoinAddress NetworkPlay::rejoinAddress() const {
    net::JoinAddress a = address_;
    if (!client_->code().empty()) a.code = client_->code();
    return a;
}

void NetworkPlay::rejoin(std::unique_ptr<net::MessageLink> link, uint32_t nowMs) {
    address_ = rejoinAddress();
    net::ClientSettings settings = settings_;
    settings.hello.rejoinToken = client_->token();
    settings.hello.host = false;
    auto client = std::make_unique<net::LockstepClient>(*link, std::move(settings), nowMs);
    client_ = std::move(client);
    link_ = std::move(link);
    --rejoinsLeft_;
    lastRejoinMs_ = nowMs;
    showUnlessLast(REJOIN_NOTICE, nowMs);
}

void NetworkPlay::update(uint32_t nowMs) {
    client_->update(nowMs);
    if (client_->phase() == net::ClientPhase::Lobby || client_->phase() == net::ClientPhase::Mission) {
        rejoinsLeft_ = REJOIN_TRIES;
    }
    for (const net::Notice& n : client_->takeNotices()) {
        shown_.push_back({net::noticeText(n), nowMs});
        // Also on the terminal, where a host without a window or a log reader sees it.
        std::fprintf(stderr, "vantrel: %s\n", shown_.back().line.c_str());
    }
    if (client_->outOfStep()) showUnlessLast(OUT_OF_STEP_NOTICE, nowMs);
    if (client_->repairedRecently(nowMs)) showUnlessLast(REPAIR_NOTICE, nowMs);
    if (client_->phase() == net::ClientPhase::Lobby && client_->isHost()) startWhenEveryoneIsIn();
}

// A state the client stays in for a while is told once, not on every pass of the loop.
void NetworkPlay::showUnlessLast(const char* line, uint32_t nowMs) {
    if (shown_.empty() || shown_.back().line != line) shown_.push_back({line, nowMs});
}

// The command line's --mission and --start-with, for hosts that script or share a start.
void NetworkPlay::startWhenEveryoneIsIn() {
    if (!missionPicked_ && request_.mission >= 1) client_->pickMission(request_.mission);
    missionPicked_ = true;
    const net::Lobby& lobby = client_->lobby();
    if (request_.startWith <= 0 || lobby.missionRunning || startAsked_) return;
    if (connectedPlayers(lobby) >= request_.startWith) {
        client_->startMission();
        startAsked_ = true;
    }
}

bool NetworkPlay::lobbyKeys(const uint8_t keys[256]) {
    if (pressed(keys, VK_ESCAPE)) {
        client_->leave();
        return true;
    }
    if (client_->phase() != net::ClientPhase::Lobby) return false;
    if (pressed(keys, VK_NUMPAD4)) client_->chooseSide(net::Side::Friend);
    if (pressed(keys, VK_NUMPAD6)) client_->chooseSide(net::Side::Enemy);
    if (!client_->isHost()) return false;
    const int mission = client_->lobby().mission;
    if (pressed(keys, VK_NUMPAD8)) client_->pickMission(mission == 1 ? MISSION_COUNT : mission - 1);
    if (pressed(keys, VK_NUMPAD5)) client_->pickMission(mission == MISSION_COUNT ? 1 : mission + 1);
    if (pressed(keys, VK_SPACE)) client_->startMission();
    return false;
}

std::string NetworkPlay::joinText() const {
    return request_.hosting ? request_.joinText + "/" + client_->code() : request_.joinText;
}

std::string NetworkPlay::joinLine() const {
    if (client_->phase() == net::ClientPhase::Connecting) return "CONNECTING TO " + request_.joinText;
    return "OTHERS JOIN WITH: " + joinText();
}

std::string NetworkPlay::keysLine() const {
    if (client_->phase() == net::ClientPhase::Connecting) return "ESC: BACK";
    if (client_->phase() == net::ClientPhase::Closed) return "THE CONNECTION WAS LOST: JOINING AGAIN   ESC: LEAVE";
    if (client_->phase() == net::ClientPhase::Mission && client_->away())
        return "AWAY: THE COMPUTER FLIES FOR YOU   CLICK THE GAME TO COME BACK";
    if (client_->phase() == net::ClientPhase::Mission)
        return "NO AIRCRAFT IS FREE: YOU WATCH THIS MISSION   ESC: LEAVE";
    if (client_->lobby().missionRunning) return "A MISSION IS FLYING: YOU JOIN IT IN A MOMENT   ESC: LEAVE";
    if (client_->isHost()) return "UP/DOWN: MISSION   LEFT/RIGHT: SIDE   SPACE: START   ESC: LEAVE";
    return "LEFT/RIGHT: FRIEND OR ENEMY SIDE   ESC: LEAVE   THE HOST STARTS";
}

render::LobbyScreen NetworkPlay::lobbyScreen() const {
    render::LobbyScreen screen;
    const net::Lobby& lobby = client_->lobby();
    screen.heading = client_->code().empty() ? "NETWORK GAME" : "NETWORK GAME " + client_->code();
    screen.joinLine = joinLine();
    screen.mission = lobby.mission;
    screen.keysLine = keysLine();
    for (const net::LobbyPlayer& p : lobby.players) {
        screen.players.push_back({net::printableName(p.name), p.side == net::Side::Friend, p.seat == client_->seat(),
                                  p.seat == lobby.hostSeat, p.connected});
    }
    return screen;
}

std::vector<std::string> NetworkPlay::noticeLines(uint32_t nowMs) {
    while (!shown_.empty() && (nowMs - shown_.front().sinceMs >= NOTICE_SHOWN_MS || shown_.size() > NOTICES_AT_ONCE)) {
        shown_.pop_front();
    }
    std::vector<std::string> lines;
    for (const Shown& s : shown_) lines.push_back(s.line);
    return lines;
}

}  // namespace vantrel
