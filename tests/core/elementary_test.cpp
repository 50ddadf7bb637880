#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "sim/elementary.h"

using namespace vantrel;

namespace {

// Integer-only argument stream, so every build walks the same arguments.
struct Arguments {
    uint64_t state = 0x9e3779b97f4a7c15ull;
    uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * static_cast<double>(next() >> 11) * 0x1p-53; }
    float uniformFloat(double lo, double hi) { return static_cast<float>(uniform(lo, hi)); }
    double anyFinite() {
        for (;;) {
            const double d = std::bit_cast<double>(next());
            if (std::isfinite(d)) return d;
        }
    }
};

struct Digest {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    void add(double d) {
        const uint64_t v = std::bit_cast<uint64_t>(d);
        for (int i = 0; i < 8; ++i) {
            hash ^= (v >> (8 * i)) & 0xff;
            hash *= 1099511628211ull;
        }
    }
};

// Distance in representable doubles; 0 when both are the same NaN-ness or bits.
uint64_t ulpsApart(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
    auto ordered = [](double d) {
        const int64_t i = static_cast<int64_t>(std::bit_cast<uint64_t>(d));
        return i < 0 ? std::numeric_limits<int64_t>::min() - i : i;
    };
    const int64_t x = ordered(a), y = ordered(b);
    return x > y ? static_cast<uint64_t>(x - y) : static_cast<uint64_t>(y - x);
}

}  // namespace

// The browser build's C library computed this digest of the stream below with its own sin, cos,
// atan2 and acos; equal bits there and here are what keeps the two builds' worlds identical.
TEST(Elementary, GivesTheBrowserLibraryBitsOverAnglesComponentsAndEveryExponent) {
    constexpr uint64_t BROWSER_LIBRARY_DIGEST = 0x6aa0bf76ee63ac7bull;
    Arguments args;
    Digest d;
    for (int i = 0; i < 20000; ++i) {
        const double angle = args.uniformFloat(-8, 8), a = args.uniformFloat(-5000, 5000),
                     b = args.uniformFloat(-5000, 5000), dot = args.uniform(-1, 1), w = args.anyFinite(),
                     v = args.anyFinite();
        d.add(elementary::sin(angle));
        d.add(elementary::cos(angle));
        d.add(elementary::atan2(a, b));
        d.add(elementary::acos(dot));
        d.add(elementary::sin(w));
        d.add(elementary::cos(w));
        d.add(elementary::atan2(w, v));
        d.add(elementary::acos(w / 1e300));
    }
    EXPECT_EQ(d.hash, BROWSER_LIBRARY_DIGEST);
}

// Rounded to float the way the simulation stores them, the results are the C library's: the
// desktop build's replays keep their worlds.
TEST(Elementary, RoundedAsTheSimulationStoresThemMatchesTheCLibrary) {
    Arguments args;
    int differing = 0;
    for (int i = 0; i < 400000; ++i) {
        const double angle = args.uniformFloat(-8, 8), length = args.uniformFloat(0, 500);
        const double a = args.uniformFloat(-5000, 5000), b = args.uniformFloat(-5000, 5000);
        const double dot = args.uniform(-1, 1);
        differing +=
            static_cast<float>(elementary::sin(angle) * length) != static_cast<float>(std::sin(angle) * length);
        differing +=
            static_cast<float>(elementary::cos(angle) * length) != static_cast<float>(std::cos(angle) * length);
        differing += static_cast<float>(elementary::atan2(a, b)) != static_cast<float>(std::atan2(a, b));
        differing +=
            static_cast<float>(elementary::atan2(a, b) + angle) != static_cast<float>(std::atan2(a, b) + angle);
        differing += static_cast<float>(elementary::acos(dot)) != static_cast<float>(std::acos(dot));
    }
    EXPECT_EQ(differing, 0);
}

// Huge arguments take the long reduction by pi/2; tiny ones the shortcuts near zero.
TEST(Elementary, StaysWithinOneUlpOfTheCLibraryForEveryFiniteArgument) {
    Arguments args;
    uint64_t worst[4] = {};
    for (int i = 0; i < 200000; ++i) {
        const double w = args.anyFinite(), v = args.anyFinite(), dot = args.uniform(-1, 1);
        worst[0] = std::max(worst[0], ulpsApart(elementary::sin(w), std::sin(w)));
        worst[1] = std::max(worst[1], ulpsApart(elementary::cos(w), std::cos(w)));
        worst[2] = std::max(worst[2], ulpsApart(elementary::atan2(w, v), std::atan2(w, v)));
        worst[3] = std::max(worst[3], ulpsApart(elementary::acos(dot), std::acos(dot)));
    }
    for (double huge : {1.0e6, 3.0e9, 1.0e22, 1.7e308, -2.5e15}) {
        worst[0] = std::max(worst[0], ulpsApart(elementary::sin(huge), std::sin(huge)));
        worst[1] = std::max(worst[1], ulpsApart(elementary::cos(huge), std::cos(huge)));
    }
    EXPECT_LE(worst[0], 1u) << "sin";
    EXPECT_LE(worst[1], 1u) << "cos";
    EXPECT_LE(worst[2], 1u) << "atan2";
    EXPECT_LE(worst[3], 1u) << "acos";
}

TEST(Elementary, ZerosInfinitiesAndNaNsAreTheCLibrarys) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double specials[] = {0.0, -0.0, inf, -inf, nan, 1.0, -1.0, 1e-310, -1e-310, 2.0};
    for (double x : specials) {
        EXPECT_EQ(ulpsApart(elementary::sin(x), std::sin(x)), 0u) << "sin " << x;
        EXPECT_EQ(ulpsApart(elementary::cos(x), std::cos(x)), 0u) << "cos " << x;
        EXPECT_EQ(ulpsApart(elementary::acos(x), std::acos(x)), 0u) << "acos " << x;
        for (double y : specials) {
            EXPECT_EQ(ulpsApart(elementary::atan2(y, x), std::atan2(y, x)), 0u) << "atan2 " << y << ", " << x;
        }
    }
    EXPECT_TRUE(std::signbit(elementary::sin(-0.0)));
    EXPECT_TRUE(std::signbit(elementary::atan2(-0.0, 1.0)));
    EXPECT_EQ(elementary::atan2(0.0, -0.0), std::atan2(0.0, -0.0));
}
