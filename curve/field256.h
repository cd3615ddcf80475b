// Residues of a 256-bit modulus held in four 64-bit limbs, for the point
// formulas' hot loops: Montgomery product, sum, difference and halving give
// exactly the residues of MontgomeryMultiply, MontgomeryAdd and
// MontgomerySubtract for the workspace's current modulus when it has eight
// 32-bit digits (R = 2^256 either way), without the length bookkeeping of
// general numbers. Internal to curve/.
//
// Four-limb Montgomery arithmetic modulo a 256-bit odd p, R = 2^256.
//
// Product (CIOS: operand scanning with the reduction interleaved): for each
// limb y_i, t += x y_i; then m = t_0 * (-p^-1) mod 2^64 makes t + m p
// divisible by 2^64, and t = (t + m p) / 2^64. After four rounds
// t = x y R^-1 mod p plus at most one p: for x, y < p, t < 2p, held in four
// limbs and a carry limb, so one conditional subtraction of p makes it the
// unique residue in [0, p) that the general Montgomery product returns.
// Sum: x + y < 2p, less p when it is not below p. Difference: x - y, plus p
// on a borrow. Halving: (x + p) / 2 for odd x, x / 2 for even x, the
// 257-bit sum shifted with its carry.
//
// Outputs may alias inputs: every routine reads its inputs fully (or limb by
// limb ahead of the write) before the limb it writes is needed again.
#pragma once

#include <cstdint>

#include "bignum/number_system.h"

namespace arkseal::curve_detail {

using Limbs = std::uint64_t[4];

struct Field256 {
    std::uint64_t p[4];
    std::uint64_t factor;  // -p^-1 mod 2^64
};

// The field of the current modulus, or nullptr when the modulus does not
// have exactly eight digit words of a power-of-two base (then the general
// Montgomery operations apply).
const Field256* CurrentField256();

void LoadLimbs(const std::uint32_t* x, Limbs out);  // x below 2^256
void StoreLimbs(const Limbs x, BigNumber out);      // out = x, normalised

// Limb arithmetic types.
using u64 = std::uint64_t;
using u128 = unsigned __int128;

// z = x - p when that does not borrow (or when carry says x >= 2^256);
// otherwise z = x. The choice is a mask, not a branch: it depends on the
// data and would be mispredicted about half the time.
inline void SubtractPIfNotBelow(const Field256& f, const u64 x[4], u64 carry, u64 z[4]) {
    u64 d[4];
    u64 borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u128 t = static_cast<u128>(x[i]) - f.p[i] - borrow;
        d[i] = static_cast<u64>(t);
        borrow = static_cast<u64>(t >> 64) & 1;
    }
    const u64 keep = 0 - static_cast<u64>(borrow > carry);  // all ones when x < p and no carry
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = (x[i] & keep) | (d[i] & ~keep);
}

inline bool LimbsZero(const Limbs x) { return (x[0] | x[1] | x[2] | x[3]) == 0; }

inline void FieldMultiply(const Field256& f, const Limbs x, const Limbs y, Limbs z) {
    u64 t[6] = {};
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u64 yi = y[i];
        u64 c = 0;
#pragma GCC unroll 4
        for (int j = 0; j < 4; ++j) {
            const u128 s = static_cast<u128>(x[j]) * yi + t[j] + c;
            t[j] = static_cast<u64>(s);
            c = static_cast<u64>(s >> 64);
        }
        u128 s = static_cast<u128>(t[4]) + c;
        t[4] = static_cast<u64>(s);
        t[5] = static_cast<u64>(s >> 64);
        const u64 m = t[0] * f.factor;
        s = static_cast<u128>(m) * f.p[0] + t[0];
        c = static_cast<u64>(s >> 64);
#pragma GCC unroll 4
        for (int j = 1; j < 4; ++j) {
            s = static_cast<u128>(m) * f.p[j] + t[j] + c;
            t[j - 1] = static_cast<u64>(s);
            c = static_cast<u64>(s >> 64);
        }
        s = static_cast<u128>(t[4]) + c;
        t[3] = static_cast<u64>(s);
        t[4] = t[5] + static_cast<u64>(s >> 64);
    }
    SubtractPIfNotBelow(f, t, t[4], z);
}

inline void FieldAdd(const Field256& f, const Limbs x, const Limbs y, Limbs z) {
    u64 s[4];
    u64 carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u128 t = static_cast<u128>(x[i]) + y[i] + carry;
        s[i] = static_cast<u64>(t);
        carry = static_cast<u64>(t >> 64);
    }
    SubtractPIfNotBelow(f, s, carry, z);
}

inline void FieldSubtract(const Field256& f, const Limbs x, const Limbs y, Limbs z) {
    u64 d[4];
    u64 borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u128 t = static_cast<u128>(x[i]) - y[i] - borrow;
        d[i] = static_cast<u64>(t);
        borrow = static_cast<u64>(t >> 64) & 1;
    }
    const u64 mask = 0 - borrow;  // add p back on a borrow
    u64 carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u128 t = static_cast<u128>(d[i]) + (f.p[i] & mask) + carry;
        z[i] = static_cast<u64>(t);
        carry = static_cast<u64>(t >> 64);
    }
}

inline void FieldHalve(const Field256& f, const Limbs x, Limbs z) {
    const u64 mask = 0 - (x[0] & 1);
    u64 s[4];
    u64 carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        const u128 t = static_cast<u128>(x[i]) + (f.p[i] & mask) + carry;
        s[i] = static_cast<u64>(t);
        carry = static_cast<u64>(t >> 64);
    }
#pragma GCC unroll 4
    for (int i = 0; i < 3; ++i) z[i] = s[i] >> 1 | s[i + 1] << 63;
    z[3] = s[3] >> 1 | carry << 63;
}

}  // namespace arkseal::curve_detail
