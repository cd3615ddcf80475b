// Column machinery of the 16-word Comba kernels (comba16.cpp,
// comba16_montgomery.cpp): operands as 8 limbs of 64 bits, column k of
// x * y = sum_{i+j=k} x_i y_j added into a three-limb ColumnSum (limb.h).
// Every loop has constant bounds and, with everything force-inlined, unrolls
// into straight-line code with the limbs in registers.
#pragma once

#include <cstdint>
#include <utility>

#include "bignum/limb.h"

namespace arkseal::comba {

struct Limbs {
    Limb l[8];
};

[[gnu::always_inline]] inline Limbs LoadLimbs(const std::uint32_t* p) {
    return {{LoadLimb(p + 0), LoadLimb(p + 2), LoadLimb(p + 4), LoadLimb(p + 6), LoadLimb(p + 8), LoadLimb(p + 10),
             LoadLimb(p + 12), LoadLimb(p + 14)}};
}

[[gnu::always_inline]] inline void StoreLimbs(std::uint32_t* p, const Limbs& x) {
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) StoreLimb(p + 2 * i, x.l[i]);
}

// Adds the products x_i y_(k-i) of column k.
template <int k>
[[gnu::always_inline]] inline void AddColumn(ColumnSum& s, const Limbs& x, const Limbs& y) {
#pragma GCC unroll 8
    for (int i = k < 8 ? 0 : k - 7; i <= (k < 8 ? k : 7); ++i) s.MulAdd(x.l[i], y.l[k - i]);
}

// Columns first, first + 1, ...: each is added, its finished low limb handed
// to sink(std::integral_constant<int, column>, limb) and shifted out.
template <int first, typename Sink, int... k>
[[gnu::always_inline]] inline void ForColumns(ColumnSum& s, const Limbs& x, const Limbs& y, Sink&& sink,
                                              std::integer_sequence<int, k...>) {
    ((AddColumn<first + k>(s, x, y), sink(std::integral_constant<int, first + k>{}, s.Shift())), ...);
}

template <int first, int last, typename Sink>
[[gnu::always_inline]] inline void ForColumns(ColumnSum& s, const Limbs& x, const Limbs& y, Sink&& sink) {
    ForColumns<first>(s, x, y, sink, std::make_integer_sequence<int, last - first + 1>{});
}

// x y mod B^8 (B = 2^64). Of column 7 only the low limb counts, so it uses
// wrapping products.
[[gnu::always_inline]] inline Limbs LowHalf(const Limbs& x, const Limbs& y) {
    Limbs low;
    ColumnSum s;
    ForColumns<0, 6>(s, x, y, [&](auto k, Limb v) { low.l[k] = v; });
    Limb top = s.c0;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) top += x.l[i] * y.l[7 - i];
    low.l[7] = top;
    return low;
}

// floor(x y / B^8), given the limbs 6 and 7 of the known low half L of x y,
// without forming the columns 0 to 5. Write x y = S + T with S the columns
// 6 to 14 and T the columns 0 to 5. T < sum_{k<6} (k+1) B^(k+2) < B^8, so T
// is the unique number below B^8 with T = L - S (mod B^8), and the high half
// is floor(S / B^8) plus the carry of (S mod B^8) + T, which is 1 exactly
// when L < S mod B^8. S mod B^8 has only the limbs 6 and 7, so the carry is
// the borrow of a two-limb subtraction.
[[gnu::always_inline]] inline Limbs HighHalf(const Limbs& x, const Limbs& y, Limb low6, Limb low7) {
    ColumnSum s;
    AddColumn<6>(s, x, y);
    const Limb s6 = s.Shift();
    AddColumn<7>(s, x, y);
    const Limb s7 = s.Shift();
    Carry lowCarry = 0;
    SubBorrow(low6, s6, lowCarry);
    SubBorrow(low7, s7, lowCarry);
    s.Add(lowCarry);
    Limbs high;
    ForColumns<8, 14>(s, x, y, [&](auto k, Limb v) { high.l[k - 8] = v; });
    high.l[7] = s.c0;
    return high;
}

}  // namespace arkseal::comba
