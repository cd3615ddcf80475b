#pragma once
// The 64-bit limb vocabulary of bignum/'s kernels: the limb and its 128-bit
// product type, moving limbs between digit arrays and registers, carry
// chains, the column accumulator of the column-wise (Comba) products and the
// inverse modulo 2^64 of the Montgomery kernels. Internal to bignum/.
//
// Numbers are arrays of 32-bit digits, least significant first. Two
// neighbouring digits d[2i] and d[2i+1] form the limb d[2i] + 2^32 d[2i+1],
// so an array of 2k digits and the array of its k limbs are the same number,
// and every result computed on limbs is the digit-exact result. Working on
// limbs quarters the number of multiplications.
//
// LoadLimb/StoreLimb move one limb between a digit array and a register at
// any alignment. AddCarry/SubBorrow are one step of an add-with-carry or
// subtract-with-borrow chain (carry in and out 0 or 1); on x86-64 they map to
// adc/sbb so that an unrolled chain keeps its carry in the flags.
//
// The kernels need a 128-bit unsigned integer type (g++ and clang offer one
// on every 64-bit target); there is no build without it.

#include <bit>
#include <cstdint>
#include <cstring>

#if !defined(__SIZEOF_INT128__)
#error "bignum/ needs unsigned __int128 (g++ or clang on a 64-bit target)"
#endif

#if defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace arkseal {

using Limb = std::uint64_t;
using WideLimb = unsigned __int128;
using SignedWideLimb = __int128;  // signed limb products, as in the field inversion
using Carry = unsigned char;

inline Limb LoadLimb(const std::uint32_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        Limb v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        return Limb(p[0]) | Limb(p[1]) << 32;
    }
}

inline void StoreLimb(std::uint32_t* p, Limb v) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, sizeof v);
    } else {
        p[0] = std::uint32_t(v);
        p[1] = std::uint32_t(v >> 32);
    }
}

// Packs the n digit words of x into (n + 1) / 2 limbs (an odd top word makes
// a limb with a zero upper half); returns the limb count.
inline int PackLimbs(Limb* out, const std::uint32_t* x, int n) {
    for (int i = 0; i < n / 2; ++i) out[i] = LoadLimb(x + 2 * i);
    if (n % 2) out[n / 2] = x[n - 1];
    return (n + 1) / 2;
}

// Writes `words` digit words of the limbs in[0..limbs), reading zero past them.
inline void UnpackLimbs(std::uint32_t* z, int words, const Limb* in, int limbs) {
    const int pairs = words / 2 < limbs ? words / 2 : limbs;
    for (int i = 0; i < pairs; ++i) StoreLimb(z + 2 * i, in[i]);
    for (int i = 2 * pairs; i < words; ++i) z[i] = i / 2 < limbs ? std::uint32_t(in[i / 2] >> (32 * (i % 2))) : 0;
}

// a + b + carry; carry becomes the carry out.
inline Limb AddCarry(Limb a, Limb b, Carry& carry) {
#if defined(__x86_64__)
    unsigned long long r;
    carry = _addcarry_u64(carry, a, b, &r);
    return r;
#else
    Limb s = a + b;
    Carry c1 = s < a;
    Limb r = s + carry;
    carry = c1 | (r < s);
    return r;
#endif
}

// a - b - borrow; borrow becomes the borrow out.
inline Limb SubBorrow(Limb a, Limb b, Carry& borrow) {
#if defined(__x86_64__)
    unsigned long long r;
    borrow = _subborrow_u64(borrow, a, b, &r);
    return r;
#else
    Limb d = a - b;
    Carry b1 = a < b;
    Limb r = d - borrow;
    borrow = b1 | (d < borrow);
    return r;
#endif
}

// One Newton (Hensel) step on an inverse modulo a power of two: when
// m y = 1 (mod 2^k) for odd m, y (2 - m y) is m^-1 modulo 2^(2k) (and 2^64).
constexpr Limb RefineInverse(Limb m, Limb y) { return y * (2 - m * y); }

// m^-1 mod 2^64 for odd m: (3 m) xor 2 is right to 5 bits, and four steps
// take it to 80.
constexpr Limb InverseOfLimb(Limb m) {
    Limb y = (3 * m) ^ 2;
    for (int bits = 5; bits < 64; bits *= 2) y = RefineInverse(m, y);
    return y;
}

// Three-limb column accumulator of the Comba kernels: c0 + c1 2^64 + c2 2^128.
struct ColumnSum {
    Limb c0 = 0, c1 = 0, c2 = 0;

    // Adds the 128-bit product x * y.
    void MulAdd(Limb x, Limb y) {
        WideLimb p = WideLimb(x) * y;
        Carry k = 0;
        c0 = AddCarry(c0, Limb(p), k);
        c1 = AddCarry(c1, Limb(p >> 64), k);
        c2 = AddCarry(c2, 0, k);
    }

    // Adds v.
    void Add(Limb v) {
        Carry k = 0;
        c0 = AddCarry(c0, v, k);
        c1 = AddCarry(c1, 0, k);
        c2 = AddCarry(c2, 0, k);
    }

    // Returns the finished low limb of the column and moves the rest down.
    Limb Shift() {
        Limb low = c0;
        c0 = c1;
        c1 = c2;
        c2 = 0;
        return low;
    }
};

// z[0..n-1] += v for an even word count n; returns what carries out of the top.
inline Limb AddLimbToEvenWords(std::uint32_t* z, int n, Limb v) {
    for (int i = 0; i < n && v != 0; i += 2) {
        Carry k = 0;
        StoreLimb(z + i, AddCarry(LoadLimb(z + i), v, k));
        v = k;
    }
    return v;
}

// z[0..n-1] -= v for an even word count n; returns what borrows out of the top.
inline Limb SubtractLimbFromEvenWords(std::uint32_t* z, int n, Limb v) {
    for (int i = 0; i < n && v != 0; i += 2) {
        Carry k = 0;
        StoreLimb(z + i, SubBorrow(LoadLimb(z + i), v, k));
        v = k;
    }
    return v;
}

// Compares two arrays of an even word count n: negative, zero or positive.
inline int CompareEvenWords(const std::uint32_t* x, const std::uint32_t* y, int n) {
    for (int i = n - 2; i >= 0; i -= 2) {
        const Limb a = LoadLimb(x + i), b = LoadLimb(y + i);
        if (a != b) return a < b ? -1 : 1;
    }
    return 0;
}

}  // namespace arkseal
