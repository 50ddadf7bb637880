#include "net/lockstep.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace vantrel::net {

uint64_t matchHash(const World& w) { return XXH3_64bits(&w, sizeof(World)); }

void runLockstepTick(World& w, const Tick& tick) {
    for (const RosterChange& c : tick.roster) {
        if (c.slot == NO_SLOT) {
            releaseSeat(w, c.seat);
        } else {
            seatHuman(w, c.seat, c.slot);
        }
    }
    matchTick(w, tick.keys);
}

void MatchRecording::append(const Tick& t) {
    flying_.push_back(t.flying);
    for (int seat = 0; seat < MAX_SEATS; ++seat)
        if (t.flying & (1u << seat)) keys_.push_back(t.keys[seat]);
    for (const RosterChange& c : t.roster) changes_.push_back({t.tick, c});
}

MatchSetup matchSetupOf(const Start& start) {
    MatchSetup setup;
    setup.mission = start.mission;
    setup.seed = start.seed;
    std::memcpy(setup.seatSlot, start.seatSlot, sizeof setup.seatSlot);
    return setup;
}

bool replayRecording(World& w, const std::string& dataDir, const MatchRecording& recording, uint32_t tick,
                     std::string& error) {
    if (!startMatch(w, dataDir, matchSetupOf(recording.start()), error)) return false;
    recording.forEachTick([&](const Tick& t) {
        if (t.tick <= tick) runLockstepTick(w, t);
    });
    return true;
}

std::string recordingText(const MatchRecording& recording) {
    const Start& s = recording.start();
    std::string text = std::string(RECORDING_FIRST_LINE) + "\nseed " + std::to_string(s.seed) + "\nmission " +
                       std::to_string(s.mission) + "\nfirst-tick " + std::to_string(s.firstTick) + "\ndelay " +
                       std::to_string(s.inputDelay) + "\n";
    for (int seat = 0; seat < MAX_SEATS; ++seat)
        if (s.seatSlot[seat] != NO_SLOT)
            text += "seat " + std::to_string(seat) + " slot " + std::to_string(s.seatSlot[seat]) + "\n";
    recording.forEachTick([&text](const Tick& t) {
        text += std::to_string(t.tick);
        for (const RosterChange& c : t.roster)
            text += c.slot == NO_SLOT ? " -" + std::to_string(c.seat)
                                      : " +" + std::to_string(c.seat) + ">" + std::to_string(c.slot);
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            if (!(t.flying & (1u << seat))) continue;
            char keys[16];
            std::snprintf(keys, sizeof keys, " %d:%04x", seat, t.keys[seat]);
            text += keys;
        }
        text += "\n";
    });
    return text;
}

namespace {

// One tick line's fields after the tick number.
bool parseTickFields(std::istringstream& fields, Tick& t) {
    std::string field;
    while (fields >> field) {
        int seat = -1, slot = 0;
        unsigned keys = 0;
        char extra;
        if (std::sscanf(field.c_str(), "+%d>%d%c", &seat, &slot, &extra) == 2) {
            if (slot < 0 || slot >= MAX_AIRCRAFT) return false;
        } else if (std::sscanf(field.c_str(), "-%d%c", &seat, &extra) == 1) {
            slot = NO_SLOT;
        } else if (std::sscanf(field.c_str(), "%d:%x%c", &seat, &keys, &extra) == 2 && keys <= 0xffff && seat >= 0 &&
                   seat < MAX_SEATS) {
            t.flying = static_cast<uint16_t>(t.flying | (1u << seat));
            t.keys[seat] = static_cast<SeatKeys>(keys);
            continue;
        } else {
            return false;
        }
        if (seat < 0 || seat >= MAX_SEATS) return false;
        t.roster.push_back({static_cast<uint8_t>(seat), static_cast<int8_t>(slot)});
    }
    return true;
}

// A line before the ticks: seed, mission, first-tick, delay or a seat's slot.
bool parseStartLine(const std::string& word, std::istringstream& fields, Start& start) {
    long value = 0;
    if (!(fields >> value) || value < 0 || value > static_cast<long>(UINT32_MAX)) return false;
    if (word == "seed") {
        start.seed = static_cast<uint32_t>(value);
    } else if (word == "mission" && value >= 1 && value <= MISSION_COUNT) {
        start.mission = static_cast<uint8_t>(value);
    } else if (word == "first-tick" && value >= 1) {
        start.firstTick = static_cast<uint32_t>(value);
    } else if (word == "delay" && value >= 1 && value <= MAX_INPUT_DELAY) {
        start.inputDelay = static_cast<uint8_t>(value);
    } else if (word == "seat" && value < MAX_SEATS) {
        std::string slotWord;
        long slot = 0;
        if (!(fields >> slotWord >> slot) || slotWord != "slot" || slot < 0 || slot >= MAX_AIRCRAFT) return false;
        start.seatSlot[value] = static_cast<int8_t>(slot);
    } else {
        return false;
    }
    std::string rest;
    return !(fields >> rest);
}

bool parseTickLine(const std::string& word, std::istringstream& fields, MatchRecording& out) {
    if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    Tick t{};
    t.tick = static_cast<uint32_t>(std::stoul(word));
    if (t.tick != out.lastTick() + 1 || !parseTickFields(fields, t)) return false;
    out.append(t);
    return true;
}

bool isStartWord(const std::string& word) {
    return word == "seed" || word == "mission" || word == "first-tick" || word == "delay" || word == "seat";
}

}  // namespace

bool parseRecordingText(const std::string& text, MatchRecording& out, std::string& error) {
    Start start{};
    start.inputDelay = 2;
    std::fill(std::begin(start.seatSlot), std::end(start.seatSlot), static_cast<int8_t>(NO_SLOT));
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool ticksBegun = false;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        bool ok;
        if (!ticksBegun && isStartWord(word)) {
            ok = parseStartLine(word, fields, start);
        } else {
            if (!ticksBegun) {
                if (start.mission == 0 || start.firstTick == 0) break;
                out = MatchRecording(start);
                ticksBegun = true;
            }
            ok = parseTickLine(word, fields, out);
        }
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot read \"" + line.substr(0, 60) + "\"";
            return false;
        }
    }
    if (start.mission == 0 || start.firstTick == 0) {
        error = "no mission or first-tick line before the ticks";
        return false;
    }
    if (!ticksBegun) out = MatchRecording(start);
    return true;
}

}  // namespace vantrel::net
