#include "game/world_json.h"

#include <cstdio>

namespace vantrel {

namespace {

class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    void field(const char* name, double value, bool isFloat) {
        key(name);
        char buf[32];
        std::snprintf(buf, sizeof buf, isFloat ? "%.9g" : "%.0f", value);
        out_ += buf;
    }
    void real(const char* name, float value) { field(name, value, true); }
    void integer(const char* name, long long value) { field(name, static_cast<double>(value), false); }
    void text(const char* name, const std::string& value) {
        key(name);
        out_ += '"' + value + '"';
    }
    void key(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
    }

private:
    std::string& out_;
    bool first_ = true;
};

void aircraftJson(std::string& out, const Aircraft& a, int slot) {
    JsonObject o(out);
    o.integer("slot", slot);
    o.real("x", a.x);
    o.real("y", a.y);
    o.real("z", a.z);
    o.real("pitch", a.pitch);
    o.real("heading", a.heading);
    o.real("roll", a.roll);
    o.real("pitchRate", a.pitchRate);
    o.real("headingRate", a.headingRate);
    o.real("rollRate", a.rollRate);
    o.real("speed", a.speed);
    o.integer("gunCooldown", a.gunCooldown);
    o.integer("launcherCooldown", a.launcherCooldown);
    o.integer("gunAmmo", a.gunAmmo);
    o.integer("launcherAmmo", a.launcherAmmo);
    o.integer("armor", a.armor);
    o.integer("type", a.type);
    o.integer("side", a.side);
    o.integer("controls", a.controls);
    o.integer("target", a.target);
    o.integer("aiMode", a.aiMode);
    o.integer("aiFlags", a.aiFlags);
}

void projectileJson(std::string& out, const Projectile& p, int slot) {
    JsonObject o(out);
    o.integer("slot", slot);
    o.real("x", p.x);
    o.real("y", p.y);
    o.real("z", p.z);
    o.real("pitch", p.pitch);
    o.real("heading", p.heading);
    o.real("roll", p.roll);
    o.integer("life", p.life);
    o.integer("target", p.target);
    o.integer("weapon", p.weapon);
    o.integer("side", p.side);
}

void effectJson(std::string& out, const Effect& e, int slot) {
    JsonObject o(out);
    o.integer("slot", slot);
    o.real("x", e.x);
    o.real("y", e.y);
    o.real("z", e.z);
    o.real("spin", e.spin);
    o.real("size", e.size);
    o.integer("shade", e.shade);
    o.integer("alpha", e.alpha);
    o.real("vx", e.vx);
    o.real("vy", e.vy);
    o.real("vz", e.vz);
    o.real("spinRate", e.spinRate);
    o.real("growth", e.growth);
    o.integer("shadeStep", e.shadeStep);
    o.integer("alphaStep", e.alphaStep);
    o.integer("life", e.life);
    o.integer("kind", e.kind);
}

void cameraJson(std::string& out, const Seat& s) {
    JsonObject c(out);
    c.real("x", s.cameraPos.x);
    c.real("y", s.cameraPos.y);
    c.real("z", s.cameraPos.z);
    c.real("pitch", s.cameraPitch);
    c.real("heading", s.cameraHeading);
    c.real("roll", s.cameraRoll);
}

void seatJson(std::string& out, const Seat& s, int seat) {
    JsonObject o(out);
    o.integer("seat", seat);
    o.integer("slot", s.slot);
    o.integer("human", s.human);
    o.integer("radarLong", s.radarLong);
    o.integer("cockpitView", s.cockpitView);
    o.integer("mapShown", s.mapShown);
    o.key("camera");
    cameraJson(out, s);
}

// A JSON array of the records for which keep(record) holds.
template <typename Record, std::size_t N, typename Keep, typename Write>
void arrayJson(std::string& out, const Record (&table)[N], Keep keep, Write write) {
    out += '[';
    bool first = true;
    for (std::size_t i = 0; i < N; ++i) {
        if (!keep(table[i])) continue;
        if (!first) out += ',';
        first = false;
        write(out, table[i], static_cast<int>(i));
    }
    out += ']';
}

}  // namespace

std::string worldJson(const World& w, int tick, const std::string& outcome) {
    std::string out;
    {
        JsonObject o(out);
        o.integer("tick", tick);
        o.integer("tickCount", w.tickCount);
        o.integer("gameMode", w.gameMode);
        o.integer("flowCounter", w.flowCounter);
        o.text("outcome", outcome);
        const Seat& player = w.seats[PLAYER_SEAT];
        o.integer("playerIndex", player.slot);
        o.integer("radarLong", player.radarLong);
        o.integer("cockpitView", player.cockpitView);
        o.key("camera");
        cameraJson(out, player);
        o.key("aircraft");
        arrayJson(
            out, w.aircraft, [](const Aircraft&) { return true; }, aircraftJson);
        o.key("projectiles");
        arrayJson(
            out, w.projectiles, [](const Projectile& p) { return p.side != 0; }, projectileJson);
        o.key("effects");
        arrayJson(
            out, w.effects, [](const Effect& e) { return e.life != 0; }, effectJson);
        if (w.matchPlay != 0) {
            o.key("seats");
            arrayJson(
                out, w.seats, [](const Seat& s) { return isAircraftSlot(s.slot); }, seatJson);
        }
    }
    return out;
}

}  // namespace vantrel
