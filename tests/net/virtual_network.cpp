#include "virtual_network.h"

#include <utility>

#include "net/data_files.h"

namespace vantrel::net::test {

void VirtualLink::send(Bytes message) {
    if (state_ == State::Open) net_.fromClient(id_, std::move(message), false);
}

bool VirtualLink::receive(Bytes& message) {
    if (inbox_.empty()) return false;
    message = std::move(inbox_.front());
    inbox_.pop_front();
    return true;
}

void VirtualLink::close() {
    if (state_ == State::Closed) return;
    if (state_ == State::Open) net_.fromClient(id_, {}, true);
    state_ = State::Closed;
    reason_ = "closed by this side";
}

VirtualLink& VirtualNetwork::connect(const std::string& code, const Conditions& conditions) {
    const ConnectionId id = nextId_++;
    Connection& c = connections_[id];
    c.conditions = conditions;
    c.link = std::make_unique<VirtualLink>(*this, id);
    c.code = code;
    c.openAt = now_ + conditions.oneWayMs;
    c.lastUp = c.lastDown = c.openAt;
    return *c.link;
}

uint32_t VirtualNetwork::arrival(Connection& c, uint32_t& last) {
    const Conditions& k = c.conditions;
    uint32_t at = now_ + k.oneWayMs;
    if (k.jitterMs > 0) at += static_cast<uint32_t>(random_() % (k.jitterMs + 1));
    if (k.loss > 0 && std::uniform_real_distribution<double>(0, 1)(random_) < k.loss) at += k.retransmitMs;
    // TCP hands messages over in order: none overtakes one held back before it.
    last = std::max(last, at);
    return last;
}

void VirtualNetwork::fromClient(ConnectionId id, Bytes message, bool close) {
    Connection& c = connections_.at(id);
    if (c.cut) return;
    c.bytesUp += message.size();
    c.up.push_back({arrival(c, c.lastUp), std::move(message), close});
}

void VirtualNetwork::kill(VirtualLink& link) {
    Connection& c = connections_.at(link.id());
    c.up.clear();
    c.down.clear();
    link.state_ = MessageLink::State::Closed;
    link.inbox_.clear();
    c.up.push_back({now_ + c.conditions.oneWayMs, {}, true});
}

void VirtualNetwork::cut(VirtualLink& link, uint32_t noticeMs) {
    Connection& c = connections_.at(link.id());
    c.cut = true;
    c.up.clear();
    c.down.clear();
    c.relayClosePending = c.clientClosePending = true;
    c.relayClosedAt = c.clientClosedAt = now_ + noticeMs;
}

void VirtualNetwork::hold(std::deque<Packet>& queue, uint32_t& last, uint32_t ms) const {
    last = std::max(last, now_ + ms);
    for (Packet& p : queue) p.at = std::max(p.at, now_ + ms);
}

void VirtualNetwork::holdDown(VirtualLink& link, uint32_t ms) {
    Connection& c = connections_.at(link.id());
    hold(c.down, c.lastDown, ms);
}

void VirtualNetwork::holdUp(VirtualLink& link, uint32_t ms) {
    Connection& c = connections_.at(link.id());
    hold(c.up, c.lastUp, ms);
}

void VirtualNetwork::tellRelayClosed(ConnectionId id, Connection& c) {
    if (c.relayDone) return;
    c.relayDone = true;
    relay_.closed(id, now_);
}

void VirtualNetwork::routeRelayOutput() {
    for (;;) {
        std::vector<Outgoing> out = relay_.takeOutgoing();
        if (out.empty()) return;
        for (Outgoing& o : out) {
            const auto found = connections_.find(o.to);
            if (found == connections_.end()) continue;
            Connection& c = found->second;
            if (c.relayDone || c.cut) continue;
            c.bytesDown += o.message.size();
            if (!o.message.empty()) c.down.push_back({arrival(c, c.lastDown), std::move(o.message), false});
            if (o.close) {
                c.down.push_back({c.lastDown, {}, true});
                tellRelayClosed(o.to, c);
            }
        }
    }
}

void VirtualNetwork::step(uint32_t nowMs) {
    now_ = nowMs;
    for (auto& [id, c] : connections_) {
        VirtualLink& link = *c.link;
        if (!c.openedAtRelay && now_ >= c.openAt && !c.cut) {
            c.openedAtRelay = true;
            relay_.open(id, "10.0.0." + std::to_string(id % 250), c.code, now_);
            if (link.state_ == MessageLink::State::Connecting) link.state_ = MessageLink::State::Open;
        }
        while (!c.up.empty() && c.up.front().at <= now_) {
            Packet p = std::move(c.up.front());
            c.up.pop_front();
            if (p.close) {
                tellRelayClosed(id, c);
            } else if (!c.relayDone) {
                relay_.receive(id, p.bytes.data(), p.bytes.size(), now_);
            }
            routeRelayOutput();
        }
        while (!c.down.empty() && c.down.front().at <= now_) {
            Packet p = std::move(c.down.front());
            c.down.pop_front();
            if (link.state_ == MessageLink::State::Closed) continue;
            if (p.close) {
                link.state_ = MessageLink::State::Closed;
                link.reason_ = "the relay closed the connection";
            } else {
                link.inbox_.push_back(std::move(p.bytes));
            }
        }
        if (c.relayClosePending && now_ >= c.relayClosedAt) {
            c.relayClosePending = false;
            tellRelayClosed(id, c);
            routeRelayOutput();
        }
        if (c.clientClosePending && now_ >= c.clientClosedAt) {
            c.clientClosePending = false;
            if (link.state_ != MessageLink::State::Closed) {
                link.state_ = MessageLink::State::Closed;
                link.reason_ = "the connection to the relay was lost";
            }
        }
    }
    if (!relayFrozen_) relay_.advance(now_);
    routeRelayOutput();
}

bool VirtualNetwork::quiet() const {
    for (const auto& [id, c] : connections_)
        if (!c.up.empty() || !c.down.empty()) return false;
    return true;
}

std::unique_ptr<Relay> makeTestRelay(uint64_t seed, RelayConfig config) {
    config.dataDir = VANTREL_DATA_DIR;
    config.gameVersion = "test";
    std::string error;
    static std::vector<DataFileHash> files;
    if (files.empty() && !hashDataDirectory(config.dataDir, files, error)) return nullptr;
    config.dataFiles = files;
    auto random = std::make_shared<std::mt19937_64>(seed);
    config.random = [random] { return (*random)(); };
    return Relay::create(std::move(config), error);
}

Hello testHello(const std::string& name, bool host, uint64_t rejoinToken) {
    Hello h;
    h.gameVersion = "test";
    std::string error;
    hashDataDirectory(VANTREL_DATA_DIR, h.dataFiles, error);
    h.name = name;
    h.host = host;
    h.rejoinToken = rejoinToken;
    return h;
}

void Player::pass(uint32_t nowMs) {
    if (!running) return;
    client->update(nowMs);
    while (client->runNextTick(*world, keys)) {
        tickTimes.push_back({nowMs, std::exchange(missionBegins.forTicks, false)});
        if (keepHashes) confirmedHashes[client->lastTick()] = hashWorld(*world);
        // A pilot who changes a few keys now and then, as a player does.
        if (!steady && keyRandom() % 6 == 0) {
            static constexpr uint8_t FLIGHT_KEYS[] = {VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6, VK_NUMPAD7, VK_NUMPAD8,
                                                      VK_NUMPAD9, VK_Q,       VK_A,       VK_Z,       VK_X,
                                                      VK_F1,      VK_F2,      VK_F3,      VK_F4};
            keys[FLIGHT_KEYS[keyRandom() % sizeof FLIGHT_KEYS]] ^= KEY_DOWN_BIT;
        }
    }
    ahead.update(*client, *world, keys, nowMs, [this](const World& w, uint32_t tick) {
        if (keepHashes) guessedHashes[tick] = hashWorld(w);
    });
    if (client->phase() != ClientPhase::Mission) {
        missionBegins = {true, true};
    } else if (!missionBegins.forTicks && ahead.shownTick(*client) != shownTick) {
        shownTick = ahead.shownTick(*client);
        shownTimes.push_back({nowMs, std::exchange(missionBegins.forScreen, false)});
    }
    for (Notice& n : client->takeNotices()) notices.push_back(std::move(n));
    for (DesyncReport& r : client->takeDesyncReports()) reports.push_back(std::move(r));
}

Table::Table(uint64_t seed, RelayConfig overrides)
    : relay(makeTestRelay(seed, std::move(overrides))), net(*relay, seed), seed_(seed) {}

Player& Table::add(Hello hello, const std::string& pathCode, const Conditions& c) {
    Player& p = players.emplace_back();
    p.link = &net.connect(pathCode, c);
    ClientSettings settings{VANTREL_DATA_DIR, std::move(hello)};
    p.client = std::make_unique<LockstepClient>(*p.link, std::move(settings), net.now());
    p.world = std::make_unique<World>();
    p.keyRandom.seed(static_cast<uint32_t>(seed_ * 31 + players.size()));
    return p;
}

Player& Table::host(const std::string& name, const Conditions& c) {
    Player& p = add(testHello(name, true), "", c);
    runUntil([&] { return !p.client->code().empty(); }, 2000);
    code = p.client->code();
    return p;
}

Player& Table::join(const std::string& name, const Conditions& c, uint64_t rejoinToken) {
    return add(testHello(name, false, rejoinToken), code, c);
}

void Table::run(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
        net.step(net.now() + 1);
        for (Player& p : players) p.pass(net.now());
    }
}

void Table::settle() {
    net.freezeRelay(true);
    runUntil([&] { return net.quiet(); }, 5000);
    run(1);
    net.freezeRelay(false);
}

void Table::kill(Player& p) {
    p.running = false;
    net.kill(*p.link);
}

}  // namespace vantrel::net::test
