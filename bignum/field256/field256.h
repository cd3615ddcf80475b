// Residues of a 256-bit odd modulus p in four 64-bit limbs, in Montgomery
// form with R = 2^256: the field under the 256-bit curve's point formulas.
// For the workspace's current modulus of eight digit words in base 2^32 the
// product, sum and difference here give exactly the residues that
// MontgomeryMultiply, MontgomeryAdd and MontgomerySubtract give (the same R,
// the same unique representative in [0, p)), without the length bookkeeping
// of general numbers.
//
// Product (Montgomery, the reduction interleaved): t = (x y + Q p) / R with
// Q < R the unique multiple that makes the division exact, found one limb
// at a time (the Montgomery rows of row_loops.h). t < R + p for any x, y
// below 2^256: four limbs and a top bit. One subtraction of p chosen by a
// mask leaves t below 2^256, and below p when x or y is: for residues, the
// residue in [0, p). On the mulx route the general MontgomeryMultiply passes
// 8-word operands of any value here and gets the digits its column kernel
// would give.
//
// The product below is the portable one; field_routes.h holds the routes
// that compute the same residues faster on the processor's instructions, and
// chooses among them.
//
// Every operation here runs in time independent of the values: carries and
// choices are masks or flags, never branches or indices. Outputs may alias
// inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>
#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal::field256 {

using Element = Limb[4];

struct Field {
    Limb p[4];
    Limb factor;     // -p^-1 mod 2^64; at byte 32, right after p (the mulx product reads it there)
    Limb one[4];     // R mod p, one in Montgomery form
    Limb cube[4];    // R^3 mod p, which takes a plain inverse into Montgomery form
    Limb inverse62;  // p^-1 mod 2^62, for the inversion's exact divisions
    Limb p52[5];     // p in five limbs of 52 bits, for the IFMA products
};

// The mulx product's assembly (field_routes.h) addresses the field by byte
// offsets from its start: the limbs of p at 0, 8, 16 and 24, the factor at 32.
static_assert(std::is_standard_layout_v<Field> && sizeof(Limb) == 8);
static_assert(offsetof(Field, p) == 0 && offsetof(Field, factor) == 32);

// The field of the workspace's current modulus, or nullptr unless it has
// exactly eight digit words in base 2^32.
const Field* CurrentField();

// Loads the value of a non-negative number below 2^256 (eight digit words are
// read whatever its length word says: words above the length are zero).
void LoadLimbs(const std::uint32_t* x, Element out);
// out = x as a normalised number. The length is found with masks, so the
// store takes the same path for every value of x.
void StoreLimbs(const Element x, BigNumber out);

// All ones when x is zero, else 0.
inline Limb ZeroMask(const Element x) {
    const Limb v = x[0] | x[1] | x[2] | x[3];
    return ((v | (0 - v)) >> 63) - 1;
}

inline void Copy(const Element x, Element z) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = x[i];
}

// z = x where mask is all ones, z unchanged where it is 0.
inline void Select(Limb mask, const Element x, Element z) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] ^= mask & (z[i] ^ x[i]);
}

// z = x - p when x (with the carry bit above it) is not below p, else x.
inline void SubtractPIfNotBelow(const Field& f, const Element x, Limb carry, Element z) {
    Limb d[4];
    Carry borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) d[i] = SubBorrow(x[i], f.p[i], borrow);
    const Limb keep = 0 - static_cast<Limb>(borrow > carry);  // all ones when x < p and no carry
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = (x[i] & keep) | (d[i] & ~keep);
}

inline void Add(const Field& f, const Element x, const Element y, Element z) {
    Limb s[4];
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) s[i] = AddCarry(x[i], y[i], carry);
    SubtractPIfNotBelow(f, s, carry, z);
}

inline void Subtract(const Field& f, const Element x, const Element y, Element z) {
    Limb d[4];
    Carry borrow = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) d[i] = SubBorrow(x[i], y[i], borrow);
    const Limb mask = 0 - static_cast<Limb>(borrow);  // add p back on a borrow
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) z[i] = AddCarry(d[i], f.p[i] & mask, carry);
}

// z = -x where mask is all ones, z = x where it is 0.
inline void NegateIf(const Field& f, Limb mask, const Element x, Element z) {
    const Element zero = {};
    Limb n[4];
    Subtract(f, zero, x, n);
    Copy(x, z);
    Select(mask, n, z);
}

// z = x / 2: (x + p) / 2 for odd x, x / 2 for even x.
inline void Halve(const Field& f, const Element x, Element z) {
    const Limb mask = 0 - (x[0] & 1);
    Limb s[4];
    Carry carry = 0;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) s[i] = AddCarry(x[i], f.p[i] & mask, carry);
#pragma GCC unroll 4
    for (int i = 0; i < 3; ++i) z[i] = s[i] >> 1 | s[i + 1] << 63;
    z[3] = s[3] >> 1 | static_cast<Limb>(carry) << 63;
}

// z = x y (Montgomery): the general kernel's Montgomery rows at four limbs
// (rows keep more products in flight than the columns' single accumulator
// chain). The portable product; field_routes.h has the faster ones.
inline void Multiply(const Field& f, const Element x, const Element y, Element z) {
    Limb t[6];
    rows::MontgomeryRows<Limb>(t, x, y, f.p, f.factor, std::integral_constant<int, 4>{});
    SubtractPIfNotBelow(f, t, t[4], z);
}

// z = x^e by fixed windows of four bits over the exponent: the same
// squarings and products for every x, the table indexed only by e, which is
// public.
template <class Ops>
void Power(const Field& f, const Element x, const Element e, Element z) {
    Limb table[16][4];
    Copy(f.one, table[0]);
    Copy(x, table[1]);
    for (int i = 2; i < 16; ++i) Ops::Multiply(f, table[i - 1], x, table[i]);
    Limb r[4];
    Copy(table[e[3] >> 60], r);
    for (int nibble = 62; nibble >= 0; --nibble) {
        for (int s = 0; s < 4; ++s) Ops::Square(f, r, r);
        Ops::Multiply(f, r, table[(e[nibble / 16] >> (4 * (nibble % 16))) & 15], r);
    }
    Copy(r, z);
}

// z = x^-1 mod p as a plain value (not in Montgomery form), 0 for x = 0,
// for prime p; see field256.cpp.
void InvertPlain(const Field& f, const Element x, Element z);

// z = 1/x in Montgomery form (0 for x = 0): x R is inverted as a plain value,
// (x R)^-1, and the product with R^3 gives x^-1 R.
template <class Ops>
void Invert(const Field& f, const Element x, Element z) {
    Element plain;
    InvertPlain(f, x, plain);
    Ops::Multiply(f, plain, f.cube, z);
}

// z = a square root of x for p = 3 mod 4, x^((p+1)/4); returns false (z is
// then no root) when x is not a square.
template <class Ops>
bool SquareRoot(const Field& f, const Element x, Element z) {
    Limb e[4];
    Carry carry = 1;  // (p + 1) / 4 = floor(p / 4) + 1
    for (int i = 0; i < 4; ++i) e[i] = AddCarry(f.p[i] >> 2 | (i < 3 ? f.p[i + 1] << 62 : 0), 0, carry);
    Limb r[4], check[4];
    Power<Ops>(f, x, e, r);
    Ops::Square(f, r, check);
    Copy(r, z);
    return ((check[0] ^ x[0]) | (check[1] ^ x[1]) | (check[2] ^ x[2]) | (check[3] ^ x[3])) == 0;
}

// True when x is a square modulo the prime p (0 included), by the binary
// Jacobi symbol: shifts and subtractions, no products. Its steps follow x:
// for public values only. Montgomery forms may be passed, since R = 2^256 is
// a square.
inline bool IsSquare(const Field& f, const Element x) {
    Limb a[4], n[4];
    Copy(x, a);
    Copy(f.p, n);
    int symbol = 1;
    const auto isZero = [](const Limb* v) { return (v[0] | v[1] | v[2] | v[3]) == 0; };
    const auto below = [](const Limb* u, const Limb* v) {
        for (int i = 3; i >= 0; --i)
            if (u[i] != v[i]) return u[i] < v[i];
        return false;
    };
    while (!isZero(a)) {
        while ((a[0] & 1) == 0) {  // (2/n) = -1 for n = 3, 5 mod 8
            for (int i = 0; i < 3; ++i) a[i] = a[i] >> 1 | a[i + 1] << 63;
            a[3] >>= 1;
            if ((n[0] & 7) == 3 || (n[0] & 7) == 5) symbol = -symbol;
        }
        if (below(a, n)) {  // reciprocity: swap, -1 when both are 3 mod 4
            for (int i = 0; i < 4; ++i) std::swap(a[i], n[i]);
            if ((a[0] & 3) == 3 && (n[0] & 3) == 3) symbol = -symbol;
        }
        Carry borrow = 0;
        for (int i = 0; i < 4; ++i) a[i] = SubBorrow(a[i], n[i], borrow);
    }
    const bool one = n[0] == 1 && (n[1] | n[2] | n[3]) == 0;
    return !one || symbol == 1;  // n != 1: x shares a factor with p, so x = 0
}

}  // namespace arkseal::field256
