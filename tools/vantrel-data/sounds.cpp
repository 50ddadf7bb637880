#include "tools/vantrel-data/sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/vantrel-data/bytes.h"
#include "tools/vantrel-data/noise.h"

namespace vantrel::data {

namespace {

Samples silence(double seconds) { return Samples(static_cast<size_t>(seconds * SAMPLE_RATE), 0.0); }
double timeOf(size_t i) { return static_cast<double>(i) / SAMPLE_RATE; }

// White noise from a fixed seed: the same samples on every run.
Samples noise(size_t count, uint64_t seed) {
    Rng rng(seed);
    Samples s(count);
    for (double& v : s) v = rng.range(-1.0, 1.0);
    return s;
}

// One-pole low-pass at `cutoff` Hz, applied `passes` times for a steeper slope.
Samples lowPass(Samples s, double cutoff, int passes = 1) {
    const double a = 1.0 - std::exp(-TAU * cutoff / SAMPLE_RATE);
    for (int p = 0; p < passes; ++p) {
        double y = 0;
        for (double& v : s) v = y += a * (v - y);
    }
    return s;
}

// State-variable band-pass whose centre follows centre(t) in Hz.
template <typename Centre>
Samples bandPass(const Samples& in, Centre centre, double damping) {
    Samples out(in.size());
    double low = 0, band = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        const double f =
            2.0 * std::sin(std::numbers::pi * std::min(centre(timeOf(i)), SAMPLE_RATE / 6.0) / SAMPLE_RATE);
        low += f * band;
        const double high = in[i] - low - damping * band;
        band += f * high;
        out[i] = band;
    }
    return out;
}

// Scales so the loudest sample reaches `peak` (below full scale, so nothing clips).
Samples normalized(Samples s, double peak) {
    double m = 0;
    for (double v : s) m = std::max(m, std::abs(v));
    if (m > 0)
        for (double& v : s) v *= peak / m;
    return s;
}

// Short linear fades so a sound never starts or stops with a click.
Samples faded(Samples s, double inSeconds, double outSeconds) {
    const size_t in = static_cast<size_t>(inSeconds * SAMPLE_RATE), out = static_cast<size_t>(outSeconds * SAMPLE_RATE);
    for (size_t i = 0; i < std::min(in, s.size()); ++i) s[i] *= static_cast<double>(i) / in;
    for (size_t i = 0; i < std::min(out, s.size()); ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / out;
    return s;
}

double decay(double t, double seconds) { return std::exp(-t / seconds); }

}  // namespace

Samples synthGunShot() {
    Samples s = silence(0.18);
    const Samples crack = lowPass(noise(s.size(), 1), 5000.0);
    const Samples body = lowPass(noise(s.size(), 2), 700.0, 2);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        phase += TAU * (55.0 + 90.0 * decay(t, 0.02)) / SAMPLE_RATE;
        s[i] =
            crack[i] * decay(t, 0.012) * 0.8 + body[i] * 4.0 * decay(t, 0.04) + std::sin(phase) * 0.7 * decay(t, 0.045);
    }
    return faded(normalized(s, 0.7), 0.0005, 0.02);
}

Samples synthBulletHit() {
    Samples s = silence(0.22);
    const Samples clank = lowPass(noise(s.size(), 3), 3000.0);
    constexpr double PARTIALS[][2] = {{1240, 0.05}, {1873, 0.04}, {2710, 0.03}, {3525, 0.02}, {620, 0.07}};
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        double v = clank[i] * decay(t, 0.01) * 1.2;
        for (const auto& p : PARTIALS) v += std::sin(TAU * p[0] * t) * decay(t, p[1]) * 0.3;
        s[i] = v;
    }
    return faded(normalized(s, 0.7), 0.0005, 0.02);
}

namespace {

Samples explosion(double seconds, double cutoff, double length, uint64_t seed, std::initializer_list<double> bursts) {
    Samples s = silence(seconds);
    const Samples rumble = lowPass(noise(s.size(), seed), cutoff, 3);
    const Samples crackle = lowPass(noise(s.size(), seed + 1), 2500.0);
    Rng pops(seed + 2);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        double envelope = (1.0 - decay(t, 0.004)) * decay(t, length);
        for (double b : bursts)
            if (t > b) envelope += 0.6 * (1.0 - decay(t - b, 0.004)) * decay(t - b, length * 0.6);
        const double pop = pops.unit() < 0.004 * decay(t, length) ? pops.range(-1.0, 1.0) : 0.0;
        s[i] = rumble[i] * 40.0 * envelope + crackle[i] * 0.5 * decay(t, length * 0.3) + pop * 0.3 +
               std::sin(TAU * 42.0 * t) * 0.4 * decay(t, length * 0.5) * (1.0 - decay(t, 0.01));
    }
    // Drive into a soft limit: louder body without clipping the first crack.
    s = normalized(s, 1.0);
    for (double& v : s) v = std::tanh(2.2 * v);
    return faded(normalized(s, 0.92), 0.001, 0.15);
}

}  // namespace

Samples synthSmallExplosion() { return explosion(1.0, 500.0, 0.2, 10, {}); }
Samples synthLargeExplosion() { return explosion(2.2, 320.0, 0.45, 20, {0.14, 0.38}); }

Samples synthMenuMove() {
    Samples s = silence(0.09);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        s[i] = (std::sin(TAU * 880.0 * t) + 0.3 * std::sin(TAU * 1760.0 * t)) * decay(t, 0.03);
    }
    return faded(normalized(s, 0.5), 0.002, 0.01);
}

Samples synthMenuConfirm() {
    Samples s = silence(0.38);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        const double f = t < 0.09 ? 660.0 : 990.0 * (1.0 + 0.006 * std::sin(TAU * 7.0 * t));
        phase += TAU * f / SAMPLE_RATE;
        const double tone = std::sin(phase) + 0.35 * std::sin(2 * phase) + 0.15 * std::sin(3 * phase);
        s[i] = tone * (t < 0.09 ? decay(t, 0.08) : decay(t - 0.09, 0.1));
    }
    return faded(normalized(s, 0.55), 0.002, 0.03);
}

Samples synthLaunch() {
    Samples s = silence(1.1);
    const Samples hiss = bandPass(
        noise(s.size(), 30), [](double t) { return 600.0 + 3200.0 * decay(t, 0.3); }, 0.5);
    const Samples roar = lowPass(noise(s.size(), 31), 400.0, 2);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = timeOf(i);
        const double envelope = (1.0 - decay(t, 0.015)) * decay(t, 0.45);
        s[i] = hiss[i] * envelope + roar[i] * 6.0 * envelope;
    }
    return faded(normalized(s, 0.8), 0.002, 0.1);
}

Samples synthEngineLoop() {
    // Every tone repeats a whole number of times in the second, and the noise is
    // cross-faded over its own continuation, so the end runs straight into the start.
    const size_t length = SAMPLE_RATE, overlap = SAMPLE_RATE / 8;
    const Samples rush = lowPass(noise(length + overlap, 40), 900.0, 2);
    Samples s(length);
    for (size_t i = 0; i < length; ++i) {
        const double t = timeOf(i);
        double drone = 0;
        for (int k = 1; k <= 8; ++k) drone += std::sin(TAU * 48.0 * k * t + k * 0.7) / k;
        const double throb = 1.0 + 0.18 * std::sin(TAU * 6.0 * t);
        const double whine = 0.08 * std::sin(TAU * 1150.0 * t) + 0.05 * std::sin(TAU * 1723.0 * t);
        double n = rush[i];
        if (i < overlap) {
            const double w = static_cast<double>(i) / overlap;
            n = rush[i] * w + rush[length + i] * (1.0 - w);
        }
        s[i] = drone * 0.5 * throb + whine + n * 5.0;
    }
    return normalized(s, 0.6);
}

std::vector<uint8_t> encodeWav(const Samples& samples) {
    ByteWriter w;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    w.text("RIFF");
    w.u32(36 + dataBytes);
    w.text("WAVEfmt ");
    w.u32(16);
    w.u16(1);  // PCM
    w.u16(1);  // mono
    w.u32(SAMPLE_RATE);
    w.u32(SAMPLE_RATE * 2);
    w.u16(2);
    w.u16(16);
    w.text("data");
    w.u32(dataBytes);
    for (double v : samples) w.i16(static_cast<int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)));
    return w.bytes;
}

bool decodeWav(const std::vector<uint8_t>& b, WavInfo& out, std::string& error) {
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return error = "not a WAV file (no RIFF/WAVE header)", false;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + at, b.begin() + at + 4);
        const uint32_t size = readU32(b, at + 4);
        if (size > b.size() - at - 8) return error = "WAV chunk '" + id + "' is truncated", false;
        if (id == "fmt ") {
            if (size < 16) return error = "WAV format chunk too short", false;
            if (readU16(b, at + 8) != 1) return error = "WAV is not uncompressed PCM", false;
            out.channels = static_cast<int>(readU16(b, at + 10));
            out.sampleRate = static_cast<int>(readU32(b, at + 12));
            out.bitsPerSample = static_cast<int>(readU16(b, at + 22));
            if (out.channels < 1 || out.channels > 2) return error = "WAV must be mono or stereo", false;
            if (out.bitsPerSample != 16) return error = "WAV must be 16-bit", false;
            if (out.sampleRate < 8000 || out.sampleRate > 96000) return error = "WAV sample rate out of range", false;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return error = "WAV data comes before its format", false;
            if (size < 2) return error = "WAV holds no samples", false;
            out.samples.resize(size / 2);
            for (size_t i = 0; i < out.samples.size(); ++i)
                out.samples[i] = static_cast<int16_t>(readU16(b, at + 8 + 2 * i));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return error = haveFormat ? "WAV has no data chunk" : "WAV has no format chunk", false;
}

}  // namespace vantrel::data
