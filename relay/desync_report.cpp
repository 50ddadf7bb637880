#include "relay/desync_report.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "game/world_json.h"

namespace vantrel::relay {

namespace {

bool writeFile(const std::filesystem::path& path, const std::string& text, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) error = path.string() + " cannot be written";
    return static_cast<bool>(file);
}

std::string summary(const net::DesyncReport& r, ReportSide side) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "match %s, seat %d, seen by the %s\n"
                  "tick %" PRIu32 ": relay hash %016" PRIx64 ", client hash %016" PRIx64
                  "\n"
                  "last agreeing tick %" PRIu32 " (world.json holds this side's World after it)\n",
                  r.code.c_str(), r.seat, side == ReportSide::Relay ? "relay" : "client", r.desync.tick,
                  r.desync.relayHash, r.desync.clientHash, r.desync.lastAgreedTick);
    return text;
}

// This side's World after the last agreeing tick: kept by the client, replayed by the relay.
bool agreedWorldJson(const net::DesyncReport& r, const std::string& dataDir, std::string& json, std::string& error) {
    std::shared_ptr<const World> world = r.agreedWorld;
    if (!world && r.recording) {
        auto replayed = std::make_shared<World>();
        if (!net::replayRecording(*replayed, dataDir, *r.recording, r.desync.lastAgreedTick, error)) return false;
        world = replayed;
    }
    json = world ? worldJson(*world, static_cast<int>(r.desync.lastAgreedTick), "") + "\n" : "null\n";
    return true;
}

}  // namespace

bool writeDesyncReport(const std::string& dir, const net::DesyncReport& r, const std::string& dataDir, ReportSide side,
                       std::string& where, std::string& error) {
    const std::filesystem::path folder =
        std::filesystem::path(dir) / ("desync-" + r.code + "-" + std::to_string(r.desync.tick) + "-seat" +
                                      std::to_string(r.seat) + (side == ReportSide::Relay ? "-relay" : "-client"));
    where = folder.string();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = where + " cannot be made: " + ec.message();
        return false;
    }
    std::string json;
    if (!agreedWorldJson(r, dataDir, json, error)) return false;
    return writeFile(folder / "report.txt", summary(r, side), error) && writeFile(folder / "world.json", json, error) &&
           writeFile(folder / "recording.txt", r.recording ? net::recordingText(*r.recording) : "", error);
}

}  // namespace vantrel::relay
