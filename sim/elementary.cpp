// The algorithms and constants are those of fdlibm as kept in musl's libm (which is also the
// browser build's libc), so the browser build gets the bits it always had.
//
// ====================================================
// Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//
// Developed at SunSoft, a Sun Microsystems, Inc. business.
// Permission to use, copy, modify, and distribute this
// software is freely granted, provided that this notice
// is preserved.
// ====================================================
//
// musl changes: Copyright © 2005-2020 Rich Felker, et al., under the MIT license:
// Permission is hereby granted, free of charge, to any person obtaining a copy of this software
// and associated documentation files (the "Software"), to deal in the Software without
// restriction, including without limitation the rights to use, copy, modify, merge, publish,
// distribute, sublicense, and/or sell copies of the Software, and to permit persons to whom the
// Software is furnished to do so, subject to the following conditions: The above copyright
// notice and this permission notice shall be included in all copies or substantial portions of
// the Software. THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND.
#include "sim/elementary.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace vantrel::elementary {

namespace {

// std::bit_cast is missing from the browser toolchain's C++ library.
uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}
double fromBits(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

uint32_t highWord(double x) { return static_cast<uint32_t>(bitsOf(x) >> 32); }
uint32_t lowWord(double x) { return static_cast<uint32_t>(bitsOf(x)); }
uint32_t biasedExponent(double x) { return static_cast<uint32_t>(bitsOf(x) >> 52) & 0x7ff; }
double withLowWordZero(double x) { return fromBits(bitsOf(x) & 0xffffffff00000000ull); }

// sin(x + y) for |x| <= pi/4, y the tail of x; iy == 0 means y is zero.
double sinKernel(double x, double y, int iy) {
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double w = z * z;
    const double r = S2 + z * (S3 + z * S4) + z * w * (S5 + z * S6);
    const double v = z * x;
    if (iy == 0) return x + v * (S1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4, y the tail of x.
double cosKernel(double x, double y) {
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                     C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09,
                     C6 = -1.13596475577881948265e-11;
    const double z = x * x;
    double w = z * z;
    const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    const double hz = 0.5 * z;
    w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// 2/pi in 24-bit pieces, as many as a double argument can need.
constexpr int32_t TWO_OVER_PI[] = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041, 0xFE5163, 0xABDEBB, 0xC561B7,
    0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C, 0xFE1DEB, 0x1CB129, 0xA73EE8, 0x8235F5, 0x2EBB44, 0x84E99C,
    0x7026B4, 0x5F7E41, 0x3991D6, 0x398353, 0x39F49C, 0x845F8B, 0xBDF928, 0x3B1FF8, 0x97FFDE, 0x05980F, 0xEF2F11,
    0x8B5A0A, 0x6D1F6D, 0x367ECF, 0x27CB09, 0xB74F46, 0x3F669E, 0x5FEA2D, 0x7527BA, 0xC7EBE5, 0xF17B3D, 0x0739F7,
    0x8A5292, 0xEA6BFB, 0x5FB11F, 0x8D5D08, 0x560330, 0x46FC7B, 0x6BABF0, 0xCFBC20, 0x9AF436, 0x1DA9E3, 0x91615E,
    0xE61B08, 0x659985, 0x5F14A0, 0x68408D, 0xFFD880, 0x4D7327, 0x310606, 0x1556CA, 0x73A8C9, 0x60E27B, 0xC08C6B,
};

// pi/2 in pieces of 24 bits.
constexpr double PI_OVER_2_PIECES[] = {
    1.57079625129699707031e+00, 7.54978941586159635335e-08, 5.39030252995776476554e-15, 3.28200341580791294123e-22,
    1.27065575308067607349e-29, 1.22933308981111328932e-36, 2.73370053816464559624e-44, 2.16741683877804819444e-51,
};

// Reduction of a huge argument, given as nx 24-bit pieces x[] scaled by 2^e0: y[0] + y[1] is
// the argument minus a multiple N of pi/2; returns N mod 8. Two doubles of result precision.
int reduceLarge(const double* x, double* y, int e0, int nx) {
    constexpr int jk = 4;  // terms of 2/pi beyond the argument's pieces, for double results
    constexpr int jp = jk;
    int32_t iq[20] = {};
    double f[20] = {}, fq[20] = {}, q[20] = {};
    const int jx = nx - 1;
    int jv = (e0 - 3) / 24;
    if (jv < 0) jv = 0;
    int q0 = e0 - 24 * (jv + 1);

    int j = jv - jx;
    const int m = jx + jk;
    for (int i = 0; i <= m; i++, j++) f[i] = j < 0 ? 0.0 : static_cast<double>(TWO_OVER_PI[j]);
    for (int i = 0; i <= jk; i++) {
        double fw = 0.0;
        for (j = 0; j <= jx; j++) fw += x[j] * f[jx + i - j];
        q[i] = fw;
    }

    int jz = jk;
    int n = 0, ih = 0;
    double z = 0.0;
    for (;;) {
        // distill q[] into iq[], most significant last
        int i = 0;
        z = q[jz];
        for (j = jz; j > 0; i++, j--) {
            const double fw = static_cast<double>(static_cast<int32_t>(0x1p-24 * z));
            iq[i] = static_cast<int32_t>(z - 0x1p24 * fw);
            z = q[j - 1] + fw;
        }
        z = std::scalbn(z, q0);
        z -= 8.0 * std::floor(z * 0.125);
        n = static_cast<int32_t>(z);
        z -= static_cast<double>(n);
        ih = 0;
        if (q0 > 0) {
            i = iq[jz - 1] >> (24 - q0);
            n += i;
            iq[jz - 1] -= i << (24 - q0);
            ih = iq[jz - 1] >> (23 - q0);
        } else if (q0 == 0) {
            ih = iq[jz - 1] >> 23;
        } else if (z >= 0.5) {
            ih = 2;
        }
        if (ih > 0) {  // the fraction is above one half: take 1 - fraction
            n += 1;
            int carry = 0;
            for (i = 0; i < jz; i++) {
                j = iq[i];
                if (carry == 0) {
                    if (j != 0) {
                        carry = 1;
                        iq[i] = 0x1000000 - j;
                    }
                } else {
                    iq[i] = 0xffffff - j;
                }
            }
            if (q0 == 1) iq[jz - 1] &= 0x7fffff;
            if (q0 == 2) iq[jz - 1] &= 0x3fffff;
            if (ih == 2) {
                z = 1.0 - z;
                if (carry != 0) z -= std::scalbn(1.0, q0);
            }
        }
        if (z != 0.0) break;
        j = 0;
        for (i = jz - 1; i >= jk; i--) j |= iq[i];
        if (j != 0) break;
        // every piece cancelled: take more terms of 2/pi and distill again
        int k = 1;
        while (iq[jk - k] == 0) k++;
        for (i = jz + 1; i <= jz + k; i++) {
            f[jx + i] = static_cast<double>(TWO_OVER_PI[jv + i]);
            double fw = 0.0;
            for (j = 0; j <= jx; j++) fw += x[j] * f[jx + i - j];
            q[i] = fw;
        }
        jz += k;
    }

    if (z == 0.0) {  // chop off zero terms
        jz -= 1;
        q0 -= 24;
        while (iq[jz] == 0) {
            jz--;
            q0 -= 24;
        }
    } else {  // break z into 24-bit pieces if needed
        z = std::scalbn(z, -q0);
        if (z >= 0x1p24) {
            const double fw = static_cast<double>(static_cast<int32_t>(0x1p-24 * z));
            iq[jz] = static_cast<int32_t>(z - 0x1p24 * fw);
            jz += 1;
            q0 += 24;
            iq[jz] = static_cast<int32_t>(fw);
        } else {
            iq[jz] = static_cast<int32_t>(z);
        }
    }

    double fw = std::scalbn(1.0, q0);
    for (int i = jz; i >= 0; i--) {
        q[i] = fw * static_cast<double>(iq[i]);
        fw *= 0x1p-24;
    }
    for (int i = jz; i >= 0; i--) {
        fw = 0.0;
        for (int k = 0; k <= jp && k <= jz - i; k++) fw += PI_OVER_2_PIECES[k] * q[i + k];
        fq[jz - i] = fw;
    }
    fw = 0.0;
    for (int i = jz; i >= 0; i--) fw += fq[i];
    y[0] = ih == 0 ? fw : -fw;
    fw = fq[0] - fw;
    for (int i = 1; i <= jz; i++) fw += fq[i];
    y[1] = ih == 0 ? fw : -fw;
    return n & 7;
}

// y[0] + y[1] = x - n * pi/2 with |y[0]| <= pi/4 (about); returns n.
int reduceByHalfPi(double x, double* y) {
    constexpr double toint = 0x1.8p52, pio4 = 0x1.921fb54442d18p-1, invpio2 = 6.36619772367581382433e-01,
                     pio2_1 = 1.57079632673412561417e+00, pio2_1t = 6.07710050650619224932e-11,
                     pio2_2 = 6.07710050630396597660e-11, pio2_2t = 2.02226624879595063154e-21,
                     pio2_3 = 2.02226624871116645580e-21, pio2_3t = 8.47842766036889956997e-32;
    const bool negative = bitsOf(x) >> 63;
    const uint32_t ix = highWord(x) & 0x7fffffff;

    // Small multiples of pi/2 subtract a two-piece pi/2 directly, except near a multiple
    // where the subtraction cancels; those take the careful path below.
    const bool nearMultiple = (ix & 0xfffff) == 0x921fb || ix == 0x4012d97c || ix == 0x401921fb;
    if (ix <= 0x401c463b && !nearMultiple) {  // |x| ~<= 9pi/4
        const int k = ix <= 0x4002d97c ? 1 : ix <= 0x400f6a7a ? 2 : ix <= 0x4015fdbc ? 3 : 4;
        if (!negative) {
            const double z = x - k * pio2_1;
            y[0] = z - k * pio2_1t;
            y[1] = (z - y[0]) - k * pio2_1t;
            return k;
        }
        const double z = x + k * pio2_1;
        y[0] = z + k * pio2_1t;
        y[1] = (z - y[0]) + k * pio2_1t;
        return -k;
    }
    if (ix < 0x413921fb) {  // |x| ~< 2^20 * pi/2
        double fn = x * invpio2 + toint - toint;
        int n = static_cast<int32_t>(fn);
        double r = x - fn * pio2_1;
        double w = fn * pio2_1t;
        if (r - w < -pio4) {
            n--;
            fn--;
            r = x - fn * pio2_1;
            w = fn * pio2_1t;
        } else if (r - w > pio4) {
            n++;
            fn++;
            r = x - fn * pio2_1;
            w = fn * pio2_1t;
        }
        y[0] = r - w;
        const int ex = static_cast<int>(ix >> 20);
        if (ex - static_cast<int>(biasedExponent(y[0])) > 16) {
            double t = r;
            w = fn * pio2_2;
            r = t - w;
            w = fn * pio2_2t - ((t - r) - w);
            y[0] = r - w;
            if (ex - static_cast<int>(biasedExponent(y[0])) > 49) {
                t = r;
                w = fn * pio2_3;
                r = t - w;
                w = fn * pio2_3t - ((t - r) - w);
                y[0] = r - w;
            }
        }
        y[1] = (r - y[0]) - w;
        return n;
    }
    if (ix >= 0x7ff00000) {
        y[0] = y[1] = x - x;
        return 0;
    }
    // |x| scaled into [2^23, 2^24), cut into three 24-bit pieces
    double z = fromBits((bitsOf(x) & (~uint64_t{0} >> 12)) | (uint64_t{0x3ff + 23} << 52));
    double tx[3], ty[2];
    int i = 0;
    for (; i < 2; i++) {
        tx[i] = static_cast<double>(static_cast<int32_t>(z));
        z = (z - tx[i]) * 0x1p24;
    }
    tx[i] = z;
    while (tx[i] == 0.0) i--;
    const int n = reduceLarge(tx, ty, static_cast<int>(ix >> 20) - (0x3ff + 23), i + 1);
    y[0] = negative ? -ty[0] : ty[0];
    y[1] = negative ? -ty[1] : ty[1];
    return negative ? -n : n;
}

double atanOf(double x) {
    constexpr double atanhi[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01, 9.82793723247329054082e-01,
                                 1.57079632679489655800e+00};
    constexpr double atanlo[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17, 1.39033110312309984516e-17,
                                 6.12323399573676603587e-17};
    constexpr double aT[] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
                             -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                             6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
                             -3.65315727442169155270e-02, 1.62858201153657823623e-02};
    uint32_t ix = highWord(x);
    const bool negative = ix >> 31;
    ix &= 0x7fffffff;
    if (ix >= 0x44100000) {  // |x| >= 2^66
        if (std::isnan(x)) return x;
        const double z = atanhi[3] + 0x1p-120f;
        return negative ? -z : z;
    }
    int id;
    if (ix < 0x3fdc0000) {              // |x| < 0.4375
        if (ix < 0x3e400000) return x;  // |x| < 2^-27
        id = -1;
    } else {
        x = std::fabs(x);
        if (ix < 0x3ff30000) {      // |x| < 1.1875
            if (ix < 0x3fe60000) {  // 7/16 <= |x| < 11/16
                id = 0;
                x = (2.0 * x - 1.0) / (2.0 + x);
            } else {  // 11/16 <= |x| < 19/16
                id = 1;
                x = (x - 1.0) / (x + 1.0);
            }
        } else if (ix < 0x40038000) {  // |x| < 2.4375
            id = 2;
            x = (x - 1.5) / (1.0 + 1.5 * x);
        } else {  // 2.4375 <= |x| < 2^66
            id = 3;
            x = -1.0 / x;
        }
    }
    const double z = x * x;
    const double w = z * z;
    const double s1 = z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    const double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    if (id < 0) return x - x * (s1 + s2);
    const double result = atanhi[id] - (x * (s1 + s2) - atanlo[id] - x);
    return negative ? -result : result;
}

// The rational approximation shared by the acos branches.
double acosRatio(double z) {
    constexpr double pS0 = 1.66666666666666657415e-01, pS1 = -3.25565818622400915405e-01,
                     pS2 = 2.01212532134862925881e-01, pS3 = -4.00555345006794114027e-02,
                     pS4 = 7.91534994289814532176e-04, pS5 = 3.47933107596021167570e-05,
                     qS1 = -2.40339491173441421878e+00, qS2 = 2.02094576023350569471e+00,
                     qS3 = -6.88283971605453293030e-01, qS4 = 7.70381505559019352791e-02;
    const double p = z * (pS0 + z * (pS1 + z * (pS2 + z * (pS3 + z * (pS4 + z * pS5)))));
    const double q = 1.0 + z * (qS1 + z * (qS2 + z * (qS3 + z * qS4)));
    return p / q;
}

}  // namespace

double sin(double x) {
    const uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {             // |x| ~< pi/4
        if (ix < 0x3e500000) return x;  // |x| < 2^-26
        return sinKernel(x, 0.0, 0);
    }
    if (ix >= 0x7ff00000) return x - x;  // Inf or NaN
    double y[2];
    switch (static_cast<unsigned>(reduceByHalfPi(x, y)) & 3) {
        case 0:
            return sinKernel(y[0], y[1], 1);
        case 1:
            return cosKernel(y[0], y[1]);
        case 2:
            return -sinKernel(y[0], y[1], 1);
        default:
            return -cosKernel(y[0], y[1]);
    }
}

double cos(double x) {
    const uint32_t ix = highWord(x) & 0x7fffffff;
    if (ix <= 0x3fe921fb) {               // |x| ~< pi/4
        if (ix < 0x3e46a09e) return 1.0;  // |x| < 2^-27 * sqrt(2)
        return cosKernel(x, 0);
    }
    if (ix >= 0x7ff00000) return x - x;
    double y[2];
    switch (static_cast<unsigned>(reduceByHalfPi(x, y)) & 3) {
        case 0:
            return cosKernel(y[0], y[1]);
        case 1:
            return -sinKernel(y[0], y[1], 1);
        case 2:
            return -cosKernel(y[0], y[1]);
        default:
            return sinKernel(y[0], y[1], 1);
    }
}

double atan2(double y, double x) {
    constexpr double pi = 3.1415926535897931160E+00, pi_lo = 1.2246467991473531772E-16;
    if (std::isnan(x) || std::isnan(y)) return x + y;
    uint32_t ix = highWord(x), iy = highWord(y);
    const uint32_t lx = lowWord(x), ly = lowWord(y);
    if (((ix - 0x3ff00000) | lx) == 0) return atanOf(y);     // x = 1.0
    const uint32_t m = ((iy >> 31) & 1) | ((ix >> 30) & 2);  // 2 * sign(x) + sign(y)
    ix &= 0x7fffffff;
    iy &= 0x7fffffff;
    if ((iy | ly) == 0) {
        switch (m) {
            case 0:
            case 1:
                return y;
            case 2:
                return pi;
            default:
                return -pi;
        }
    }
    if ((ix | lx) == 0) return m & 1 ? -pi / 2 : pi / 2;
    if (ix == 0x7ff00000) {
        if (iy == 0x7ff00000) {
            constexpr double bothInfinite[] = {pi / 4, -pi / 4, 3 * pi / 4, -3 * pi / 4};
            return bothInfinite[m];
        }
        constexpr double xInfinite[] = {0.0, -0.0, pi, -pi};
        return xInfinite[m];
    }
    if (ix + (64 << 20) < iy || iy == 0x7ff00000) return m & 1 ? -pi / 2 : pi / 2;  // |y/x| > 2^64
    const double z = (m & 2) && iy + (64 << 20) < ix ? 0.0 : atanOf(std::fabs(y / x));
    switch (m) {
        case 0:
            return z;
        case 1:
            return -z;
        case 2:
            return pi - (z - pi_lo);
        default:
            return (z - pi_lo) - pi;
    }
}

double acos(double x) {
    constexpr double pio2_hi = 1.57079632679489655800e+00, pio2_lo = 6.12323399573676603587e-17;
    const uint32_t hx = highWord(x);
    const uint32_t ix = hx & 0x7fffffff;
    if (ix >= 0x3ff00000) {  // |x| >= 1 or NaN
        if (((ix - 0x3ff00000) | lowWord(x)) == 0) return hx >> 31 ? 2 * pio2_hi + 0x1p-120f : 0.0;
        return 0 / (x - x);
    }
    if (ix < 0x3fe00000) {  // |x| < 0.5
        if (ix <= 0x3c600000) return pio2_hi + 0x1p-120f;
        return pio2_hi - (x - (pio2_lo - x * acosRatio(x * x)));
    }
    if (hx >> 31) {  // x < -0.5
        const double z = (1.0 + x) * 0.5;
        const double s = std::sqrt(z);
        const double w = acosRatio(z) * s - pio2_lo;
        return 2 * (pio2_hi - (s + w));
    }
    const double z = (1.0 - x) * 0.5;  // x > 0.5
    const double s = std::sqrt(z);
    const double df = withLowWordZero(s);
    const double c = (z - df * df) / (s + df);
    const double w = acosRatio(z) * s + c;
    return 2 * (df + w);
}

}  // namespace vantrel::elementary
