// Deterministic randomness for the data generator: a seeded integer generator and lattice
// noise. Everything is integer hashing and double arithmetic, so the same seed gives the
// same bytes on every machine and library version.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace vantrel::data {

constexpr double TAU = 2.0 * std::numbers::pi;  // a full turn in radians

// splitmix64: small, fast and good enough for procedural art.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

inline uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h *= 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// Lattice value in [-1, 1].
inline double latticeValue(int32_t x, int32_t y, uint32_t seed) {
    return static_cast<double>(hash3(x, y, seed) & 0xFFFFFF) / 8388607.5 - 1.0;
}

inline double smoothStep(double t) { return t * t * (3.0 - 2.0 * t); }

inline int32_t wrapIndex(int32_t i, int32_t period) {
    if (period <= 0) return i;
    const int32_t m = i % period;
    return m < 0 ? m + period : m;
}

// Smooth value noise in [-1, 1]; with a period (in lattice cells) it tiles along x.
inline double valueNoise(double x, double y, uint32_t seed, int32_t periodX = 0) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const double tx = smoothStep(x - fx), ty = smoothStep(y - fy);
    const int32_t x0 = wrapIndex(ix, periodX), x1 = wrapIndex(ix + 1, periodX);
    const double a = latticeValue(x0, iy, seed), b = latticeValue(x1, iy, seed);
    const double c = latticeValue(x0, iy + 1, seed), d = latticeValue(x1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum of octaves, roughly in [-1, 1].
inline double fractalNoise(double x, double y, uint32_t seed, int octaves, int32_t periodX = 0) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, frequency = 1.0;
    for (int i = 0; i < octaves; ++i) {
        const int32_t period = periodX > 0 ? periodX * static_cast<int32_t>(frequency) : 0;
        sum += amplitude * valueNoise(x * frequency, y * frequency, seed + 101u * static_cast<uint32_t>(i), period);
        total += amplitude;
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

inline double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline double smoothRange(double edge0, double edge1, double v) {
    return smoothStep(clamp01((v - edge0) / (edge1 - edge0)));
}

}  // namespace vantrel::data
