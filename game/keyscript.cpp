#include "game/keyscript.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

#include "world/keys.h"

namespace vantrel {

namespace {

struct NamedKey {
    const char* name;
    int code;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"BACK", 8},     {"TAB", 9},         {"RETURN", 13},    {"SHIFT", 16},      {"CONTROL", 17},    {"MENU", 18},
    {"PAUSE", 19},   {"CAPITAL", 20},    {"ESCAPE", 27},    {"SPACE", 32},      {"PRIOR", 33},      {"NEXT", 34},
    {"END", 35},     {"HOME", 36},       {"LEFT", 37},      {"UP", 38},         {"RIGHT", 39},      {"DOWN", 40},
    {"INSERT", 45},  {"DELETE", 46},     {"LWIN", 91},      {"RWIN", 92},       {"APPS", 93},       {"MULTIPLY", 106},
    {"ADD", 107},    {"SEPARATOR", 108}, {"SUBTRACT", 109}, {"DECIMAL", 110},   {"DIVIDE", 111},    {"NUMLOCK", 144},
    {"SCROLL", 145}, {"LSHIFT", 160},    {"RSHIFT", 161},   {"LCONTROL", 162},  {"RCONTROL", 163},  {"LMENU", 164},
    {"RMENU", 165},  {"OEM_1", 186},     {"OEM_PLUS", 187}, {"OEM_COMMA", 188}, {"OEM_MINUS", 189}, {"OEM_PERIOD", 190},
    {"OEM_2", 191},  {"OEM_3", 192},     {"OEM_4", 219},    {"OEM_5", 220},     {"OEM_6", 221},     {"OEM_7", 222},
};

// Every name, by code: the table above plus digits, letters, NUMPAD0..9 and F1..F24.
const std::array<std::string, 256>& namesByCode() {
    static const std::array<std::string, 256> names = [] {
        std::array<std::string, 256> n{};
        for (const NamedKey& k : NAMED_KEYS) n[k.code] = k.name;
        for (int i = 0; i < 10; ++i) n['0' + i] = std::string(1, static_cast<char>('0' + i));
        for (int i = 0; i < 26; ++i) n['A' + i] = std::string(1, static_cast<char>('A' + i));
        for (int i = 0; i < 10; ++i) n[96 + i] = "NUMPAD" + std::to_string(i);
        for (int i = 0; i < 24; ++i) n[112 + i] = "F" + std::to_string(i + 1);
        return n;
    }();
    return names;
}

// The second flight key set by the names of its keys: in play the arrows, the comma and the
// full stop arrive as the keypad keys they stand for, so in a script they name those too.
constexpr NamedKey SECOND_SET_KEYS[] = {
    {"UP", VK_NUMPAD8},    {"DOWN", VK_NUMPAD5},  {"LEFT", VK_NUMPAD4},
    {"RIGHT", VK_NUMPAD6}, {"COMMA", VK_NUMPAD7}, {"PERIOD", VK_NUMPAD9},
};

// A key of a script line: a second-set name first, then any virtual-key name.
int scriptKeyCode(const std::string& name) {
    for (const NamedKey& k : SECOND_SET_KEYS) {
        if (name == k.name) return k.code;
    }
    return keyCodeByName(name);
}

bool parseNumber(const std::string& s, long long& out) {
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && ptr == end;
}

// "T" or "T1-T2" with 1 <= T1 <= T2.
bool parseTickRange(const std::string& word, int& first, int& last) {
    const std::size_t dash = word.find('-');
    long long a = 0, b = 0;
    if (dash == std::string::npos) {
        if (!parseNumber(word, a)) return false;
        b = a;
    } else if (!parseNumber(word.substr(0, dash), a) || !parseNumber(word.substr(dash + 1), b)) {
        return false;
    }
    if (a < 1 || b < a || b > 1'000'000'000) return false;
    first = static_cast<int>(a);
    last = static_cast<int>(b);
    return true;
}

std::string lineError(int line, const std::string& what) {
    return "key script line " + std::to_string(line) + ": " + what;
}

}  // namespace

int keyCodeByName(const std::string& name) {
    const auto& names = namesByCode();
    for (int code = 0; code < 256; ++code) {
        if (!names[code].empty() && names[code] == name) return code;
    }
    return -1;
}

std::string keyNameByCode(int code) { return code >= 0 && code < 256 ? namesByCode()[code] : ""; }

bool KeyScript::parse(const std::string& text, std::string& error) {
    struct Directive {
        int first, last;
        KeySet keys;
    };
    std::vector<Directive> directives;
    std::optional<uint32_t> seed;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first)) continue;
        if (first == "seed") {
            std::string value, extra;
            long long n = 0;
            if (!(words >> value) || !parseNumber(value, n) || n < 0 || n > 0xFFFFFFFFll || (words >> extra)) {
                error = lineError(number, "expected 'seed N' with N from 0 to 4294967295");
                return false;
            }
            seed = static_cast<uint32_t>(n);
            continue;
        }
        Directive d{};
        if (!parseTickRange(first, d.first, d.last)) {
            error = lineError(number, "'" + first + "' is not a tick or a range T1-T2 of ticks from 1");
            return false;
        }
        for (std::string key; words >> key;) {
            const int code = scriptKeyCode(key);
            if (code < 0) {
                error = lineError(number, "unknown key name '" + key + "'");
                return false;
            }
            d.keys.set(static_cast<std::size_t>(code));
        }
        directives.push_back(d);
    }

    // Sweep the ranges into segments of constant keys.
    std::map<int, std::array<int, 256>> deltas;
    for (const Directive& d : directives) {
        auto& begin = deltas[d.first];
        auto& end = deltas[d.last + 1];
        for (std::size_t k = 0; k < 256; ++k) {
            if (d.keys.test(k)) {
                ++begin[k];
                --end[k];
            }
        }
    }
    std::vector<Segment> segments;
    std::array<int, 256> held{};
    for (const auto& [tick, delta] : deltas) {
        KeySet keys;
        for (std::size_t k = 0; k < 256; ++k) {
            held[k] += delta[k];
            keys.set(k, held[k] > 0);
        }
        segments.push_back(Segment{tick, keys});
    }
    seed_ = seed;
    segments_ = std::move(segments);
    return true;
}

bool KeyScript::load(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!parse(text.str(), error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

void KeyScript::snapshot(int tick, uint8_t out[256]) const {
    std::fill(out, out + 256, uint8_t{0});
    const auto after =
        std::upper_bound(segments_.begin(), segments_.end(), tick, [](int t, const Segment& s) { return t < s.start; });
    if (after == segments_.begin()) return;
    const KeySet& keys = std::prev(after)->keys;
    for (std::size_t k = 0; k < 256; ++k) {
        if (keys.test(k)) out[k] = 0x80;
    }
}

int KeyScript::lastTick() const { return segments_.empty() ? 0 : segments_.back().start - 1; }

KeyScriptRecorder::KeyScriptRecorder(uint32_t seed) { done_ = "seed " + std::to_string(seed) + "\n"; }

namespace {

std::string rangeLine(int first, int last, const KeySet& keys) {
    std::string line = first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
    for (std::size_t k = 0; k < 256; ++k) {
        if (keys.test(k)) line += " " + keyNameByCode(static_cast<int>(k));
    }
    return line + "\n";
}

}  // namespace

void KeyScriptRecorder::record(int tick, const uint8_t snapshot[256]) {
    KeySet keys;
    for (std::size_t k = 0; k < 256; ++k) {
        // Only named keys can be written back; others could not be replayed.
        keys.set(k, (snapshot[k] & 0x80) != 0 && !keyNameByCode(static_cast<int>(k)).empty());
    }
    if (runStart_ != 0 && keys == runKeys_ && tick == runEnd_ + 1) {
        runEnd_ = tick;
        return;
    }
    if (runStart_ != 0 && runKeys_.any()) done_ += rangeLine(runStart_, runEnd_, runKeys_);
    runStart_ = runEnd_ = tick;
    runKeys_ = keys;
}

std::string KeyScriptRecorder::text() const {
    if (runStart_ != 0 && runKeys_.any()) return done_ + rangeLine(runStart_, runEnd_, runKeys_);
    return done_;
}

}  // namespace vantrel
