// ezds-listen: plays every sound of a data directory through libezds.so on SDL's disk audio
// driver and reports how each came out: how long it sounds, its peak and loudness, and how
// many samples hit full scale. The rendered raw files (16-bit stereo, 44.1 kHz) stay in the
// output directory for listening, e.g. `play -t raw -r 44100 -e signed -b 16 -c 2 bang.raw`.
//
// Usage: ezds-listen LIBRARY DATA_DIR OUT_DIR
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sound/binding.h"
#include "wave_file.h"

using namespace vantrel;

namespace {

constexpr int BYTES_PER_SECOND = 44100 * 2 * 2;
constexpr int AUDIBLE = 64;  // about -54 dBFS: below it a sample counts as silence
constexpr double LEAD_IN_SECONDS = 0.1;
constexpr double ONE_SHOT_SECONDS = 3.0;  // longer than any effect sound
constexpr int ENGINE_LEVELS[] = {62, 85, 92};
constexpr double SECONDS_PER_ENGINE_LEVEL = 1.0;

struct Stats {
    double soundingSeconds = 0.0;
    double peakDb = -120.0;
    double rmsDb = -120.0;
    long clipped = 0;
};

double decibels(double amplitude) { return amplitude > 0 ? 20.0 * std::log10(amplitude / 32768.0) : -120.0; }

Stats measure(const std::vector<int16_t>& s) {
    Stats out;
    std::size_t first = s.size(), last = 0;
    int peak = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int v = std::abs(static_cast<int>(s[i]));
        if (v >= AUDIBLE) {
            first = std::min(first, i);
            last = i;
        }
        peak = std::max(peak, v);
        out.clipped += v >= 32767;
    }
    if (first > last) return out;
    double sum = 0.0;
    for (std::size_t i = first; i <= last; ++i) sum += static_cast<double>(s[i]) * s[i];
    out.soundingSeconds = static_cast<double>(last - first + 2) / 2.0 / 44100.0;
    out.peakDb = decibels(peak);
    out.rmsDb = decibels(std::sqrt(sum / static_cast<double>(last - first + 1)));
    return out;
}

void waitSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// Real time passes on the disk driver; wait until it has written what was asked for.
void waitUntilWritten(const std::filesystem::path& path, double seconds) {
    const auto want = static_cast<std::uintmax_t>(seconds * BYTES_PER_SECOND);
    std::error_code error;
    while (std::filesystem::file_size(path, error) < want || error) waitSeconds(0.02);
}

bool render(const std::string& library, const std::filesystem::path& out, const std::string& file, int channel) {
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    Sound s;
    if (!bindSoundLibrary(s, library) || !s.lib.DSinit(nullptr)) return false;
    std::string path = file;
    const bool loaded =
        channel >= 0 ? s.lib.DSload(path.data(), static_cast<char>(channel)) : s.lib.DSloadL(path.data());
    double seconds = LEAD_IN_SECONDS;
    waitUntilWritten(out, seconds);
    if (channel >= 0) {
        s.lib.DSplay(static_cast<char>(channel), 100);
        seconds += ONE_SHOT_SECONDS;
        waitUntilWritten(out, seconds);
    } else {
        s.lib.DSloopOPE(LOOP_START, 0);
        for (int level : ENGINE_LEVELS) {
            s.lib.DSloopOPE(LOOP_LEVEL, static_cast<char>(level));
            seconds += SECONDS_PER_ENGINE_LEVEL;
            waitUntilWritten(out, seconds);
        }
        s.lib.DSloopOPE(LOOP_STOP, 0);
    }
    s.lib.DSend();
    freeSoundLibrary(s);
    return loaded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ezds-listen LIBRARY DATA_DIR OUT_DIR\n");
        return 2;
    }
    const std::string library = argv[1];
    const std::filesystem::path data = argv[2], outDir = argv[3];
    std::filesystem::create_directories(outDir);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    std::printf("%-11s %7s %9s %9s %8s\n", "sound", "seconds", "peak dB", "rms dB", "clipped");
    int failures = 0;
    int channel = 0;
    for (const char* name : CHANNEL_FILES) {
        const auto out = outDir / (std::filesystem::path(name).stem().string() + ".raw");
        std::filesystem::remove(out);
        const bool ok = render(library, out, (data / name).string(), channel++);
        const Stats st = measure(test::readRaw(out));
        std::printf("%-11s %7.3f %9.1f %9.1f %8ld%s\n", name, st.soundingSeconds, st.peakDb, st.rmsDb, st.clipped,
                    ok ? "" : "  (not loaded)");
        failures += !ok;
    }
    const auto out = outDir / "engine.raw";
    std::filesystem::remove(out);
    const bool ok = render(library, out, (data / ENGINE_FILE).string(), -1);
    const std::vector<int16_t> all = test::readRaw(out);
    for (std::size_t i = 0; i < std::size(ENGINE_LEVELS); ++i) {
        const auto begin = static_cast<std::size_t>((LEAD_IN_SECONDS + (i + 0.25) * SECONDS_PER_ENGINE_LEVEL) * 88200);
        const auto end = static_cast<std::size_t>((LEAD_IN_SECONDS + (i + 1.0) * SECONDS_PER_ENGINE_LEVEL) * 88200);
        const Stats st = measure(std::vector<int16_t>(all.begin() + static_cast<long>(std::min(begin, all.size())),
                                                      all.begin() + static_cast<long>(std::min(end, all.size()))));
        std::printf("engine@%-4d %7.3f %9.1f %9.1f %8ld%s\n", ENGINE_LEVELS[i], st.soundingSeconds, st.peakDb, st.rmsDb,
                    st.clipped, ok ? "" : "  (not loaded)");
    }
    failures += !ok;
    return failures == 0 ? 0 : 1;
}
