// Montgomery products of the four-limb field on the AVX-512 IFMA unit
// (vpmadd52luq/vpmadd52huq), which runs beside the integer multiplier that
// the mulx route uses. Up to four products go at once, one per 64-bit lane
// of a ymm register; each lane holds a value in five limbs of 52 bits (limb
// i of every value in vector i).
//
// The IFMA product is Montgomery's with R' = 2^260: a b / 2^260 mod p. One
// operand enters multiplied by 16 (its limbs taken four bits lower), so the
// result is a b / 2^256, the residue of the mulx and portable routes. For
// a, b < p, 16 a < 2^260 fits the five limbs, and the result is below
// 16 p^2 / 2^260 + p < 2 p; one subtraction of p chosen by a mask leaves the
// unique residue in [0, p), the same digits as the other routes.
//
// Only this unit is compiled for AVX-512, and it uses no inline function of
// a header (those would be compiled here for AVX-512 and could be the copy
// the linker keeps for every caller): its helpers are its own.
#include "bignum/field256.h"

#if defined(__x86_64__) && defined(__AVX512IFMA__) && defined(__AVX512VL__)

#include <immintrin.h>

namespace arkseal::field256 {
namespace {

using V = __m256i;
constexpr int kLimbs = 5;

struct Constants {
    V p[kLimbs];
    V factor;  // -p^-1 mod 2^52
    V mask;    // 2^52 - 1
};

[[gnu::always_inline]] inline Constants Load(const Field& f) {
    Constants c;
#pragma GCC unroll 10
    for (int i = 0; i < kLimbs; ++i) c.p[i] = _mm256_set1_epi64x(static_cast<long long>(f.p52[i]));
    c.factor = _mm256_set1_epi64x(static_cast<long long>(f.factor & ((Limb{1} << 52) - 1)));
    c.mask = _mm256_set1_epi64x((1LL << 52) - 1);
    return c;
}

// Rows of four limbs to columns and back: w[j] lane i = x_i[j].
[[gnu::always_inline]] inline void Transpose(const V r0, const V r1, const V r2, const V r3, V w[4]) {
    const V t0 = _mm256_unpacklo_epi64(r0, r1), t1 = _mm256_unpackhi_epi64(r0, r1);
    const V t2 = _mm256_unpacklo_epi64(r2, r3), t3 = _mm256_unpackhi_epi64(r2, r3);
    w[0] = _mm256_permute2x128_si256(t0, t2, 0x20);
    w[1] = _mm256_permute2x128_si256(t1, t3, 0x20);
    w[2] = _mm256_permute2x128_si256(t0, t2, 0x31);
    w[3] = _mm256_permute2x128_si256(t1, t3, 0x31);
}

[[gnu::always_inline]] inline V Row(const Element x) { return _mm256_loadu_si256(reinterpret_cast<const V*>(x)); }

// The limbs of the values whose radix-2^64 limbs are w[0..3], times 2^shift
// (0 or 4: the value must stay below 2^260).
[[gnu::always_inline]] inline void ToRadix52(const V w[4], int s, const V mask, V out[kLimbs]) {
    out[0] = _mm256_and_si256(_mm256_slli_epi64(w[0], s), mask);
    out[1] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[0], 52 - s), _mm256_slli_epi64(w[1], 12 + s)), mask);
    out[2] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[1], 40 - s), _mm256_slli_epi64(w[2], 24 + s)), mask);
    out[3] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[2], 28 - s), _mm256_slli_epi64(w[3], 36 + s)), mask);
    out[4] = _mm256_srli_epi64(w[3], 16 - s);
}

// Normalised limbs of values below 2^256 to radix-2^64 limbs.
[[gnu::always_inline]] inline void FromRadix52(const V x[kLimbs], V w[4]) {
    w[0] = _mm256_or_si256(x[0], _mm256_slli_epi64(x[1], 52));
    w[1] = _mm256_or_si256(_mm256_srli_epi64(x[1], 12), _mm256_slli_epi64(x[2], 40));
    w[2] = _mm256_or_si256(_mm256_srli_epi64(x[2], 24), _mm256_slli_epi64(x[3], 28));
    w[3] = _mm256_or_si256(_mm256_srli_epi64(x[3], 36), _mm256_slli_epi64(x[4], 16));
}

// Lanes 0 and 1 of columns w stored as the elements z0 and z1.
[[gnu::always_inline]] inline void StoreLanes01(const V w[4], Element z0, Element z1) {
    const V t0 = _mm256_unpacklo_epi64(w[0], w[1]), t1 = _mm256_unpackhi_epi64(w[0], w[1]);
    const V t2 = _mm256_unpacklo_epi64(w[2], w[3]), t3 = _mm256_unpackhi_epi64(w[2], w[3]);
    _mm256_storeu_si256(reinterpret_cast<V*>(z0), _mm256_permute2x128_si256(t0, t2, 0x20));
    _mm256_storeu_si256(reinterpret_cast<V*>(z1), _mm256_permute2x128_si256(t1, t3, 0x20));
}

// out = 16 x for normalised limbs of x < 2^256.
[[gnu::always_inline]] inline void TimesSixteen(const V x[kLimbs], const V mask, V out[kLimbs]) {
    out[0] = _mm256_and_si256(_mm256_slli_epi64(x[0], 4), mask);
#pragma GCC unroll 10
    for (int i = 1; i < kLimbs; ++i) {
        out[i] = _mm256_and_si256(_mm256_or_si256(_mm256_slli_epi64(x[i], 4), _mm256_srli_epi64(x[i - 1], 48)), mask);
    }
}

// r = a b / 2^260 + (a multiple of p), below a b / 2^260 + p, in five limbs
// not yet carried. The full product by columns (low and high halves in
// separate accumulators, so no column waits on a long chain), then five
// reduction steps: m = column i times -p^-1 mod 2^52, m p added from column
// i + 1 on, and column i's carry into column i + 1. Column i plus the low
// half of m p_0 is a multiple of 2^52, so that carry is column i's bits
// from 52 up, plus one unless its low 52 bits are zero; the low half itself
// is never formed.
[[gnu::always_inline]] inline void Product(const V a[kLimbs], const V b[kLimbs], const Constants& c, V r[kLimbs]) {
    V lo[2 * kLimbs], hi[2 * kLimbs];
#pragma GCC unroll 10
    for (int k = 0; k < 2 * kLimbs; ++k) lo[k] = hi[k] = _mm256_setzero_si256();
#pragma GCC unroll 10
    for (int i = 0; i < kLimbs; ++i) {
#pragma GCC unroll 10
        for (int j = 0; j < kLimbs; ++j) {
            lo[i + j] = _mm256_madd52lo_epu64(lo[i + j], a[i], b[j]);
            hi[i + j + 1] = _mm256_madd52hi_epu64(hi[i + j + 1], a[i], b[j]);
        }
    }
    V carry = _mm256_setzero_si256();
#pragma GCC unroll 10
    for (int i = 0; i < kLimbs; ++i) {
        const V column = _mm256_add_epi64(_mm256_add_epi64(lo[i], hi[i]), carry);
        const V m = _mm256_madd52lo_epu64(_mm256_setzero_si256(), column, c.factor);
        const V low = _mm256_add_epi64(_mm256_and_si256(column, c.mask), c.mask);
        carry = _mm256_add_epi64(_mm256_srli_epi64(column, 52), _mm256_srli_epi64(low, 52));
#pragma GCC unroll 10
        for (int k = 1; k < kLimbs; ++k) lo[i + k] = _mm256_madd52lo_epu64(lo[i + k], m, c.p[k]);
#pragma GCC unroll 10
        for (int k = 0; k < kLimbs; ++k) hi[i + k + 1] = _mm256_madd52hi_epu64(hi[i + k + 1], m, c.p[k]);
    }
    r[0] = _mm256_add_epi64(_mm256_add_epi64(lo[kLimbs], hi[kLimbs]), carry);
#pragma GCC unroll 10
    for (int k = 1; k < kLimbs; ++k) r[k] = _mm256_add_epi64(lo[kLimbs + k], hi[kLimbs + k]);
}

// r below 2p, limbs not carried, becomes r mod p in normalised limbs: r and
// r - p carried side by side, r - p kept unless it is negative.
[[gnu::always_inline]] inline void Finish(V r[kLimbs], const Constants& c) {
    V d[kLimbs];
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) d[k] = _mm256_sub_epi64(r[k], c.p[k]);
#pragma GCC unroll 10
    for (int k = 0; k + 1 < kLimbs; ++k) {
        r[k + 1] = _mm256_add_epi64(r[k + 1], _mm256_srli_epi64(r[k], 52));
        r[k] = _mm256_and_si256(r[k], c.mask);
        d[k + 1] = _mm256_add_epi64(d[k + 1], _mm256_srai_epi64(d[k], 52));
        d[k] = _mm256_and_si256(d[k], c.mask);
    }
    const V keep = _mm256_srai_epi64(d[kLimbs - 1], 63);  // all ones where r < p
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) r[k] = _mm256_blendv_epi8(d[k], r[k], keep);
}

}  // namespace

void IfmaDoublingFirst(const Field& f, const Element t, const Element Z, Element zOut, Element z2, Limb T52[5]) {
    const Constants c = Load(f);
    V w[4], a[kLimbs], b[kLimbs], r[kLimbs];
    // Lanes: t 16Z, t 16t, Z 16Z (lane 3 repeats lane 2).
    Transpose(Row(t), Row(t), Row(Z), Row(Z), w);
    ToRadix52(w, 0, c.mask, a);
    Transpose(Row(Z), Row(t), Row(Z), Row(Z), w);
    ToRadix52(w, 4, c.mask, b);
    Product(a, b, c, r);
    Finish(r, c);
    alignas(32) Limb lanes[kLimbs][4];
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) _mm256_store_si256(reinterpret_cast<V*>(lanes[k]), r[k]);
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) T52[k] = lanes[k][1];
    FromRadix52(r, w);
    const V t0 = _mm256_unpacklo_epi64(w[0], w[1]), t2 = _mm256_unpacklo_epi64(w[2], w[3]);
    _mm256_storeu_si256(reinterpret_cast<V*>(zOut), _mm256_permute2x128_si256(t0, t2, 0x20));
    _mm256_storeu_si256(reinterpret_cast<V*>(z2), _mm256_permute2x128_si256(t0, t2, 0x31));
}

void IfmaDoublingSecond(const Field& f, const Limb T52[5], const Element X, Element s, Element tt) {
    const Constants c = Load(f);
    V T[kLimbs], T16[kLimbs], x16[kLimbs], a[kLimbs], r[kLimbs];
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) T[k] = _mm256_set1_epi64x(static_cast<long long>(T52[k]));
    TimesSixteen(T, c.mask, T16);
    V w[4];
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) w[j] = _mm256_set1_epi64x(static_cast<long long>(X[j]));
    ToRadix52(w, 4, c.mask, x16);
    // Lane 0: 16 X times T; lane 1: 16 T times T.
#pragma GCC unroll 10
    for (int k = 0; k < kLimbs; ++k) a[k] = _mm256_blend_epi32(T16[k], x16[k], 0x3);
    Product(a, T, c, r);
    Finish(r, c);
    FromRadix52(r, w);
    StoreLanes01(w, s, tt);
}

void IfmaMultiplyFour(const Field& f, const Limb* const x[4], const Limb* const y[4], Limb* const z[4]) {
    const Constants c = Load(f);
    V w[4], a[kLimbs], b[kLimbs], r[kLimbs];
    Transpose(Row(x[0]), Row(x[1]), Row(x[2]), Row(x[3]), w);
    ToRadix52(w, 0, c.mask, a);
    Transpose(Row(y[0]), Row(y[1]), Row(y[2]), Row(y[3]), w);
    ToRadix52(w, 4, c.mask, b);
    Product(a, b, c, r);
    Finish(r, c);
    FromRadix52(r, w);
    V rows[4];
    Transpose(w[0], w[1], w[2], w[3], rows);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) _mm256_storeu_si256(reinterpret_cast<V*>(z[i]), rows[i]);
}

}  // namespace arkseal::field256

#else

#include <cstdlib>

namespace arkseal::field256 {

void IfmaDoublingFirst(const Field&, const Element, const Element, Element, Element, Limb*) { std::abort(); }
void IfmaMultiplyFour(const Field&, const Limb* const*, const Limb* const*, Limb* const*) { std::abort(); }
void IfmaDoublingSecond(const Field&, const Limb*, const Element, Element, Element) { std::abort(); }

}  // namespace arkseal::field256

#endif
