// k P by signed windows of five bits, in constant time.
//
// Recoding: with b_j the bits of k (b_-1 = 0), window i has the digit
//   d_i = b_(5i-1) + b_5i + 2 b_(5i+1) + 4 b_(5i+2) + 8 b_(5i+3) - 16 b_(5i+4)
// in -16..16, and k = sum of d_i 32^i (each top bit's -16 32^i is made up by
// the +1 32^(i+1) of the next window). For a 6-bit window value v (b_(5i-1)
// in bit 0), d = ((v mod 32) + 1) / 2 - 16 (v / 32), computed without a
// branch. 5 * windows >= 64 * limbs + 1 bits, so the top digit is >= 0.
//
// Table: T[j] = j P and D[j] = 2 j P for j = 1..16, built by doublings and by
// complete additions of P. For each digit one pass over all sixteen entries
// picks T[|d|] and D[|d|] by masks (a zero digit picks nothing: Z = 0,
// infinity), and both y are negated by a mask when d < 0. The accumulator is
// doubled five times and T is added completely, with D as the answer should
// the accumulator equal T. One inversion at the end. For a point of prime
// order and a scalar of up to 256 bits (MultiplyPrimeOrder) the accumulator
// can equal T only in the last window, so the table holds no D and that
// window doubles its entry instead.
#include <arkseal/curve/secret_multiply.h>

#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/curve/secret_multiply_lanes.h>

namespace arkseal::curve_detail {
namespace {

constexpr int kWindowBits = 5;
constexpr int kEntries = 16;

struct Table {
    Jacobian T[kEntries + 1];  // T[j] = j P; entry 0 unused
    Jacobian D[kEntries + 1];  // D[j] = 2 j P
};

template <class Ops>
void BuildTable(const Field& f, const Jacobian& P, Table& table) {
    table.T[1] = P;
    for (int j = 1; j <= kEntries / 2; ++j) {
        Double<Ops>(f, table.T[j], table.D[j]);
        table.T[2 * j] = table.D[j];
        if (2 * j + 1 <= kEntries) {
            table.T[2 * j + 1] = table.T[2 * j];
            AddComplete<Ops>(f, P, table.D[1], table.T[2 * j + 1]);
        }
    }
    for (int j = kEntries / 2 + 1; j <= kEntries; ++j) Double<Ops>(f, table.T[j], table.D[j]);
}

// The window of `count` bits of k starting at bit `from` (which may be -1;
// bits outside k are zero).
Limb Bits(const Limb* k, int limbs, int from, int count) {
    Limb v = 0;
    for (int b = 0; b < count; ++b) {
        const int bit = from + b;
        if (bit < 0 || bit >= 64 * limbs) continue;  // public positions only
        v |= ((k[bit / 64] >> (bit % 64)) & 1) << b;
    }
    return v;
}

using Digit = SignedDigit;

Digit BoothDigit(Limb v) {
    const std::int64_t d = static_cast<std::int64_t>(((v & 31) + 1) >> 1) - static_cast<std::int64_t>(16 * (v >> 5));
    const Limb negative = static_cast<Limb>(d >> 63);
    return {(static_cast<Limb>(d) ^ negative) - negative, negative};
}

Limb EqualMask(Limb a, Limb b) {
    const Limb x = a ^ b;
    return ((x | (0 - x)) >> 63) - 1;
}

// out = entries[index] (infinity for index 0): every entry 1..16 is read,
// and the one whose mask is all ones is or-ed in. The coordinates of a point
// are twelve consecutive limbs, which the compiler moves in vector registers;
// the inner loop is unrolled so that the sums stay in registers (as a loop
// they lived in memory, each or waiting on the store before it).
void Lookup(const Jacobian* entries, Limb index, Jacobian& out) {
    static_assert(sizeof(Jacobian) == 12 * sizeof(Limb));
    Limb limbs[12] = {};
    for (int j = 1; j <= kEntries; ++j) {
        const Limb mask = EqualMask(static_cast<Limb>(j), index);
        const Limb* entry = entries[j].X;
#pragma GCC unroll 12
        for (int l = 0; l < 12; ++l) limbs[l] |= mask & entry[l];
    }
    std::memcpy(&out, limbs, sizeof out);
}

template <class Ops>
void Multiply(const Field& f, const Limb* k, int limbs, const Jacobian& P, Jacobian& R) {
    Table table;
    BuildTable<Ops>(f, P, table);
    const int windows = 64 * limbs / kWindowBits + 1;
    Jacobian t, d;
    Lookup(table.T, BoothDigit(Bits(k, limbs, kWindowBits * (windows - 1) - 1, kWindowBits + 1)).magnitude, R);
    for (int i = windows - 2; i >= 0; --i) {
        for (int j = 0; j < kWindowBits; ++j) Double<Ops>(f, R, R);
        const Digit digit = BoothDigit(Bits(k, limbs, kWindowBits * i - 1, kWindowBits + 1));
        Lookup(table.T, digit.magnitude, t);
        Lookup(table.D, digit.magnitude, d);
        field256::NegateIf(f, digit.negative, t.Y, t.Y);
        field256::NegateIf(f, digit.negative, d.Y, d.Y);
        AddComplete<Ops>(f, t, d, R);
    }
    SecureWipe(&table, sizeof table);
}

// T[j] = j P for j = 1..16 from the affine P: doublings, and mixed additions
// of P that never meet P or -P (j P = +-P would need n <= 17).
template <class Ops>
void BuildMultiples(const Field& f, const Affine& P, Jacobian* T) {
    field256::Copy(P.x, T[1].X);
    field256::Copy(P.y, T[1].Y);
    field256::Copy(f.one, T[1].Z);
    for (int j = 1; j <= kEntries / 2; ++j) {
        Double<Ops>(f, T[j], T[2 * j]);
        if (2 * j + 1 > kEntries) continue;
        Limb hZero, rZero;
        AddFormulas<Ops, true>(f, T[1], T[2 * j], T[2 * j + 1], hZero, rZero);
    }
}

// Before window i the accumulator is 32 s P and the entry d P, where s is at
// most k / 32^(i+1) + 1 and |d| <= 16. For i >= 1, 32 s -+ d lies between
// -16 and 2^251 + 48, so it is a multiple of n only when it is zero, which
// needs s = d = 0: both operands infinite, which the masks handle. Window 0
// may meet k = n + 2d, and takes the complete addition with the entry
// doubled.
template <class Ops>
void MultiplyPrimeOrder(const Field& f, const Limb k[4], const Affine& P, Jacobian& R) {
    constexpr int windows = 64 * 4 / kWindowBits + 1;
    Digit digits[windows];
    for (int i = 0; i < windows; ++i) digits[i] = BoothDigit(Bits(k, 4, kWindowBits * i - 1, kWindowBits + 1));
    if constexpr (Ops::kVectorUnit) {
        MultiplyPrimeOrderInLanes(f, P, digits, windows, R);
        SecureWipe(digits, sizeof digits);
        return;
    }
    Jacobian T[kEntries + 1];
    BuildMultiples<Ops>(f, P, T);
    Lookup(T, digits[windows - 1].magnitude, R);
    Jacobian t, twice;
    for (int i = windows - 2; i >= 0; --i) {
        for (int j = 0; j < kWindowBits; ++j) Double<Ops>(f, R, R);
        Lookup(T, digits[i].magnitude, t);
        field256::NegateIf(f, digits[i].negative, t.Y, t.Y);
        if (i > 0) {
            AddUnlessEqual<Ops>(f, t, R);
        } else {
            Double<Ops>(f, t, twice);
            AddComplete<Ops>(f, t, twice, R);
        }
    }
    SecureWipe(T, sizeof T);
    SecureWipe(digits, sizeof digits);
    SecureWipe(&t, sizeof t);
    SecureWipe(&twice, sizeof twice);
}

}  // namespace

void MultiplySecret(const Field& f, const Limb* k, int limbs, const Jacobian& P, Jacobian& R) {
    field256::WithActiveRoute([&](auto ops) { Multiply<decltype(ops)>(f, k, limbs, P, R); });
}

void MultiplySecretPrimeOrder(const Field& f, const Limb k[4], const Affine& P, Jacobian& R) {
    field256::WithActiveRoute([&](auto ops) { MultiplyPrimeOrder<decltype(ops)>(f, k, P, R); });
}

void AddSecret(const Field& f, const Jacobian& P, Jacobian& PA) {
    field256::WithActiveRoute([&](auto ops) {
        using Ops = decltype(ops);
        Jacobian twice;
        Double<Ops>(f, P, twice);
        AddComplete<Ops>(f, P, twice, PA);
    });
}

Limb AffineOf(const Field& f, const Jacobian& P, Affine& out) {
    return field256::WithActiveRoute([&](auto ops) { return ToAffine<decltype(ops)>(f, P, out); });
}

void FromMontgomery(const Field& f, const Element x, Element z) {
    const Element one = {1, 0, 0, 0};
    field256::WithActiveRoute([&](auto ops) { decltype(ops)::Multiply(f, x, one, z); });
}

}  // namespace arkseal::curve_detail
