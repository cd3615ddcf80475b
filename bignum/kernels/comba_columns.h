// Column-wise (Comba) products of operands of exactly N limbs, for any N: the
// 16-word kernels (comba16.cpp, comba16_montgomery.cpp) at N = 8, the limb
// products of 4 and 8 words (limb_products.cpp) at N = 2 and 4, the low
// halves of the Montgomery inverse (fast_montgomery.cpp); and the Montgomery
// product by columns of the limb kernel (montgomery_kernel.cpp).
//
// With x = sum x_i B^i and y = sum y_j B^j, B = 2^64, the product is
// sum_k C_k B^k with the column sums C_k = sum_{i+j=k} x_i y_j. The columns
// are produced from the lowest upward in one three-limb ColumnSum (limb.h):
// add every product of column k, take the low limb as result limb k and move
// the accumulator down one limb, which carries the rest into column k + 1.
// A column holds at most N products below 2^128 each plus a carry below
// 2^(128 + log2 N), so three limbs never overflow for any N below 2^64.
//
// Every loop has bounds fixed at compile time and, with everything
// force-inlined, unrolls into straight-line code with the limbs in
// registers.
#pragma once

#include <cstdint>
#include <utility>

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal::comba {

template <int N>
struct Limbs {
    Limb l[N];
};

template <int N, int... i>
[[gnu::always_inline]] inline Limbs<N> LoadLimbs(const std::uint32_t* p, std::integer_sequence<int, i...>) {
    return {{LoadLimb(p + 2 * i)...}};
}

template <int N>
[[gnu::always_inline]] inline Limbs<N> LoadLimbs(const std::uint32_t* p) {
    return LoadLimbs<N>(p, std::make_integer_sequence<int, N>{});
}

template <int N>
[[gnu::always_inline]] inline void StoreLimbs(std::uint32_t* p, const Limbs<N>& x) {
#pragma GCC unroll 16
    for (int i = 0; i < N; ++i) StoreLimb(p + 2 * i, x.l[i]);
}

// Adds the products x_i y_(k-i) of column k.
template <int k, int N>
[[gnu::always_inline]] inline void AddColumn(ColumnSum& s, const Limbs<N>& x, const Limbs<N>& y) {
#pragma GCC unroll 16
    for (int i = k < N ? 0 : k - N + 1; i <= (k < N ? k : N - 1); ++i) s.MulAdd(x.l[i], y.l[k - i]);
}

// Columns first, first + 1, ...: each is added, its finished low limb handed
// to sink(std::integral_constant<int, column>, limb) and shifted out.
template <int first, int N, typename Sink, int... k>
[[gnu::always_inline]] inline void ForColumns(ColumnSum& s, const Limbs<N>& x, const Limbs<N>& y, Sink&& sink,
                                              std::integer_sequence<int, k...>) {
    ((AddColumn<first + k>(s, x, y), sink(std::integral_constant<int, first + k>{}, s.Shift())), ...);
}

template <int first, int last, int N, typename Sink>
[[gnu::always_inline]] inline void ForColumns(ColumnSum& s, const Limbs<N>& x, const Limbs<N>& y, Sink&& sink) {
    ForColumns<first>(s, x, y, sink, std::make_integer_sequence<int, last - first + 1>{});
}

// z[0..4N) = x y, stored limb by limb as the columns finish.
template <int N>
[[gnu::always_inline]] inline void StoreProduct(std::uint32_t* z, const Limbs<N>& x, const Limbs<N>& y) {
    ColumnSum s;
    ForColumns<0, 2 * N - 2>(s, x, y, [&](auto k, Limb v) { StoreLimb(z + 2 * k, v); });
    StoreLimb(z + 4 * N - 2, s.c0);
}

// z[0..4N) = x^2: the off-diagonal triangle t = sum_{i<j} x_i x_j B^(i+j)
// (N (N - 1) / 2 products), then x^2 = 2 t + sum x_i^2 B^(2i) in one pass
// that shifts t left by one bit, adds the diagonal squares and stores.
// t < B^(2N) / 2, so the doubling loses nothing. The triangle goes by rows,
// not columns: each row's carry chain is independent of the next row's
// products, where the columns would run every product through the one
// accumulator (measured 7% faster at N = 4, 3% at N = 8).
template <int N>
[[gnu::always_inline]] inline void StoreSquare(std::uint32_t* z, const Limbs<N>& x) {
    Limbs<2 * N> t{};
#pragma GCC unroll 16
    for (int i = 0; i < N - 1; ++i) {
        Limb carry = 0;
#pragma GCC unroll 16
        for (int j = i + 1; j < N; ++j) {
            const WideLimb p = WideLimb(x.l[i]) * x.l[j] + t.l[i + j] + carry;
            t.l[i + j] = Limb(p);
            carry = Limb(p >> 64);
        }
        t.l[i + N] = carry;
    }
    Carry c = 0;
#pragma GCC unroll 16
    for (int i = 0; i < 2 * N; ++i) {
        const WideLimb d = WideLimb(x.l[i / 2]) * x.l[i / 2];
        const Limb below = i == 0 ? 0 : t.l[i - 1] >> 63;
        StoreLimb(z + 2 * i, AddCarry(t.l[i] << 1 | below, Limb(d >> (64 * (i % 2))), c));
    }
}

// x y mod B^N. Of column N - 1 only the low limb counts, so it uses wrapping
// products.
template <int N>
[[gnu::always_inline]] inline Limbs<N> LowHalf(const Limbs<N>& x, const Limbs<N>& y) {
    Limbs<N> low;
    ColumnSum s;
    ForColumns<0, N - 2>(s, x, y, [&](auto k, Limb v) { low.l[k] = v; });
    Limb top = s.c0;
#pragma GCC unroll 16
    for (int i = 0; i < N; ++i) top += x.l[i] * y.l[N - 1 - i];
    low.l[N - 1] = top;
    return low;
}

// floor(x y / B^N), given the limbs N - 2 and N - 1 of the known low half L
// of x y, without forming the columns 0 to N - 3. Write x y = S + T with S
// the columns N - 2 to 2N - 2 and T the columns 0 to N - 3.
// T < sum_{k<N-2} (k+1) B^(k+2) < B^N, so T is the unique number below B^N
// with T = L - S (mod B^N), and the high half is floor(S / B^N) plus the
// carry of (S mod B^N) + T, which is 1 exactly when L < S mod B^N. S mod B^N
// has only the limbs N - 2 and N - 1, so the carry is the borrow of a
// two-limb subtraction.
template <int N>
[[gnu::always_inline]] inline Limbs<N> HighHalf(const Limbs<N>& x, const Limbs<N>& y, Limb lowBelowTop, Limb lowTop) {
    ColumnSum s;
    AddColumn<N - 2>(s, x, y);
    const Limb belowTop = s.Shift();
    AddColumn<N - 1>(s, x, y);
    const Limb top = s.Shift();
    Carry lowCarry = 0;
    SubBorrow(lowBelowTop, belowTop, lowCarry);
    SubBorrow(lowTop, top, lowCarry);
    s.Add(lowCarry);
    Limbs<N> high;
    ForColumns<N, 2 * N - 2>(s, x, y, [&](auto k, Limb v) { high.l[k - N] = v; });
    high.l[N - 1] = s.c0;
    return high;
}

// The Montgomery product by columns, K limbs, m odd, factor = -m^-1 mod B:
// t[0..K] = (x y + Q m) / B^K with Q = sum q_i B^i < B^K. Column i collects
// x_j y_(i-j) and q_j m_(i-j); in the lower K columns q_i is chosen to clear
// the column's low limb, in the upper K columns the low limbs are the result.
// A column holds at most 2K products below 2^128 each, well inside the
// three-limb accumulator. Q is the unique multiple that makes the division
// exact, the same as an interleaved row product finds; for x, y below B^K,
// t < B^K + m, so t[K] is a top bit. (A separate square form, summing each
// cross product once and doubling, costs more than it saves at these sizes.)
template <int K>
[[gnu::always_inline]] inline void MontgomeryColumns(Limb* t, const Limb* x, const Limb* y, const Limb* m,
                                                     Limb factor) {
    Limb q[K];
    ColumnSum acc;
#pragma GCC unroll 8
    for (int i = 0; i < K; ++i) {
#pragma GCC unroll 8
        for (int j = 0; j <= i; ++j) acc.MulAdd(x[j], y[i - j]);
#pragma GCC unroll 8
        for (int j = 0; j < i; ++j) acc.MulAdd(q[j], m[i - j]);
        q[i] = acc.c0 * factor;
        acc.MulAdd(q[i], m[0]);
        acc.Shift();
    }
#pragma GCC unroll 8
    for (int i = K; i < 2 * K - 1; ++i) {
#pragma GCC unroll 8
        for (int j = i - K + 1; j < K; ++j) {
            acc.MulAdd(x[j], y[i - j]);
            acc.MulAdd(q[j], m[i - j]);
        }
        t[i - K] = acc.Shift();
    }
    t[K - 1] = acc.Shift();
    t[K] = acc.c0;
}

}  // namespace arkseal::comba
