// Desync reports on disk: a folder per desync with what each side saw.
#pragma once

#include <string>

#include "net/lockstep.h"

namespace vantrel::relay {

enum class ReportSide { Relay, Client };

// Writes DIR/desync-CODE-TICK-seatN-SIDE/ holding report.txt (the tick, both hashes, the last
// agreeing tick), world.json (this side's World at the last agreeing tick; the relay's is
// replayed from the recording) and recording.txt (replays with the match API). where is the
// folder; false with the reason when it cannot be written.
bool writeDesyncReport(const std::string& dir, const net::DesyncReport& report, const std::string& dataDir,
                       ReportSide side, std::string& where, std::string& error);

}  // namespace vantrel::relay
