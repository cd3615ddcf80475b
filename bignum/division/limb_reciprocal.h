#pragma once
// Division by an invariant normalised divisor (top bit set) through its
// reciprocal, two products and a few corrections in place of a 128-by-64-bit
// division (Moller and Granlund, "Improved division by invariant integers",
// 2011: algorithms 4, 5 and 6). Internal to bignum/.

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal {

// floor((2^128 - 1) / d) - 2^64 for a normalised d.
inline Limb ReciprocalOf(Limb d) { return static_cast<Limb>(~(static_cast<WideLimb>(d) << 64) / d); }

// (high 2^64 + low) / d for high < d, with reciprocal = ReciprocalOf(d); the
// remainder goes to high.
inline Limb DivideTwoByOne(Limb& high, Limb low, Limb d, Limb reciprocal) {
    const WideLimb estimate = static_cast<WideLimb>(reciprocal) * high + (static_cast<WideLimb>(high) << 64 | low);
    Limb q = static_cast<Limb>(estimate >> 64) + 1;
    Limb r = low - q * d;
    if (r > static_cast<Limb>(estimate)) {
        --q;
        r += d;
    }
    if (r >= d) {
        ++q;
        r -= d;
    }
    high = r;
    return q;
}

// floor((2^192 - 1) / <d1, d0>) - 2^64 for a normalised d1: the reciprocal of
// d1 corrected for d0.
inline Limb ReciprocalOf(Limb d1, Limb d0) {
    Limb v = ReciprocalOf(d1);
    Limb p = d1 * v + d0;
    if (p < d0) {
        --v;
        if (p >= d1) {
            --v;
            p -= d1;
        }
        p -= d1;
    }
    const WideLimb t = static_cast<WideLimb>(v) * d0;
    const Limb t1 = static_cast<Limb>(t >> 64);
    p += t1;
    if (p < t1) {
        --v;
        if (p > d1 || (p == d1 && static_cast<Limb>(t) >= d0)) --v;
    }
    return v;
}

// floor(<u2, u1, u0> / <d1, d0>) for <u2, u1> below <d1, d0>, d1 normalised,
// reciprocal = ReciprocalOf(d1, d0); the remainder goes to remainder.
inline Limb DivideThreeByTwo(Limb u2, Limb u1, Limb u0, Limb d1, Limb d0, Limb reciprocal, WideLimb& remainder) {
    const WideLimb d = static_cast<WideLimb>(d1) << 64 | d0;
    const WideLimb estimate = static_cast<WideLimb>(reciprocal) * u2 + (static_cast<WideLimb>(u2) << 64 | u1);
    Limb q = static_cast<Limb>(estimate >> 64);
    const Limb r1 = u1 - q * d1;
    WideLimb r = (static_cast<WideLimb>(r1) << 64 | u0) - static_cast<WideLimb>(d0) * q - d;
    ++q;
    if (static_cast<Limb>(r >> 64) >= static_cast<Limb>(estimate)) {
        --q;
        r += d;
    }
    if (r >= d) {
        ++q;
        r -= d;
    }
    remainder = r;
    return q;
}

}  // namespace arkseal
