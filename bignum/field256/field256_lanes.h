// Four residues of the four-limb field's prime at once, one per 64-bit lane
// of a ymm register, each in five limbs of 52 bits (limb k of all four in
// register k), for the AVX-512 IFMA unit (vpmadd52luq/vpmadd52huq).
//
// Included only by files compiled for AVX-512 F, VL, DQ and IFMA, whose code
// runs only where field256::IfmaAvailable(): everything here is always
// inlined, so no copy of it can be the one that code for other processors
// calls.
//
// Products are Montgomery's with R' = 2^260: a b / 2^260 mod p. Values are
// redundant: any representative below 2^260 (about 16 p) whose limbs are
// below 2^52 before they enter a product; the caller keeps bounds (in
// multiples of p). For a < u p and b < v p the product is below
// (u v / 16 + 1) p, as p < 2^256. Sums and differences are limb by limb
// (a difference adds a multiple of p so that the value stays positive) and
// are carried by Normalize before a product.
#pragma once

#include <immintrin.h>

#include <arkseal/bignum/field256/field256.h>

namespace arkseal::field256::lanes {

using V = __m256i;
constexpr int kLimbs = 5;

// Four values, lane i of every limb register being value i.
struct Lanes {
    V l[kLimbs];
};

struct Constants {
    V p[kLimbs];
    V factor;  // -p^-1 mod 2^52
    V mask;    // 2^52 - 1
};

[[gnu::always_inline]] inline V Broadcast(Limb x) { return _mm256_set1_epi64x(static_cast<long long>(x)); }

[[gnu::always_inline]] inline Constants LoadConstants(const Field& f) {
    constexpr Limb kLow52 = (Limb{1} << 52) - 1;
    Constants c;
#pragma GCC unroll 5
    for (int i = 0; i < kLimbs; ++i) c.p[i] = Broadcast(f.p52[i]);
    c.factor = Broadcast(f.factor & kLow52);
    c.mask = Broadcast(kLow52);
    return c;
}

// m p in every lane, carried, for m below 16.
[[gnu::always_inline]] inline Lanes Multiple(const Field& f, int m) {
    constexpr Limb kLow52 = (Limb{1} << 52) - 1;
    Lanes r;
    Limb carry = 0;
#pragma GCC unroll 5
    for (int i = 0; i < kLimbs; ++i) {
        const Limb v = static_cast<Limb>(m) * f.p52[i] + carry;
        r.l[i] = Broadcast(i + 1 < kLimbs ? v & kLow52 : v);
        carry = v >> 52;
    }
    return r;
}

// Carries every limb into the next, arithmetic shifts so that negative
// limbs (left by differences) borrow; the value must be non-negative and
// below 2^260.
[[gnu::always_inline]] inline void Normalize(Lanes& x, const Constants& c) {
#pragma GCC unroll 4
    for (int k = 0; k + 1 < kLimbs; ++k) {
        x.l[k + 1] = _mm256_add_epi64(x.l[k + 1], _mm256_srai_epi64(x.l[k], 52));
        x.l[k] = _mm256_and_si256(x.l[k], c.mask);
    }
}

// a b / 2^260 + (a multiple of p), below a b / 2^260 + p, carried. The full
// product by columns (low and high halves in separate accumulators, so no
// column waits on a long chain), then five reduction steps: m = column i
// times -p^-1 mod 2^52, m p added from column i + 1 on, and column i's
// carry into column i + 1. Column i plus the low half of m p_0 is a
// multiple of 2^52, so that carry is column i's bits from 52 up, plus one
// unless its low 52 bits are zero; the low half itself is never formed.
[[gnu::always_inline]] inline void ProductColumns(const V a[kLimbs], const V b[kLimbs], const Constants& c,
                                                  V r[kLimbs]) {
    V lo[2 * kLimbs], hi[2 * kLimbs];
#pragma GCC unroll 10
    for (int k = 0; k < 2 * kLimbs; ++k) lo[k] = hi[k] = _mm256_setzero_si256();
#pragma GCC unroll 5
    for (int i = 0; i < kLimbs; ++i) {
#pragma GCC unroll 5
        for (int j = 0; j < kLimbs; ++j) {
            lo[i + j] = _mm256_madd52lo_epu64(lo[i + j], a[i], b[j]);
            hi[i + j + 1] = _mm256_madd52hi_epu64(hi[i + j + 1], a[i], b[j]);
        }
    }
    V carry = _mm256_setzero_si256();
#pragma GCC unroll 5
    for (int i = 0; i < kLimbs; ++i) {
        const V column = _mm256_add_epi64(_mm256_add_epi64(lo[i], hi[i]), carry);
        const V m = _mm256_madd52lo_epu64(_mm256_setzero_si256(), column, c.factor);
        const V low = _mm256_add_epi64(_mm256_and_si256(column, c.mask), c.mask);
        carry = _mm256_add_epi64(_mm256_srli_epi64(column, 52), _mm256_srli_epi64(low, 52));
#pragma GCC unroll 5
        for (int k = 1; k < kLimbs; ++k) lo[i + k] = _mm256_madd52lo_epu64(lo[i + k], m, c.p[k]);
#pragma GCC unroll 5
        for (int k = 0; k < kLimbs; ++k) hi[i + k + 1] = _mm256_madd52hi_epu64(hi[i + k + 1], m, c.p[k]);
    }
    r[0] = _mm256_add_epi64(_mm256_add_epi64(lo[kLimbs], hi[kLimbs]), carry);
#pragma GCC unroll 5
    for (int k = 1; k < kLimbs; ++k) r[k] = _mm256_add_epi64(lo[kLimbs + k], hi[kLimbs + k]);
}

// a b / 2^260 mod p, redundant and carried.
[[gnu::always_inline]] inline Lanes Multiply(const Lanes& a, const Lanes& b, const Constants& c) {
    Lanes r;
    ProductColumns(a.l, b.l, c, r.l);
    Normalize(r, c);
    return r;
}

[[gnu::always_inline]] inline Lanes Add(const Lanes& a, const Lanes& b) {
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_add_epi64(a.l[k], b.l[k]);
    return r;
}

// a + m p - b, limb by limb (not carried): positive for b < m p.
[[gnu::always_inline]] inline Lanes Subtract(const Lanes& a, const Lanes& b, const Lanes& mp) {
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_sub_epi64(_mm256_add_epi64(a.l[k], mp.l[k]), b.l[k]);
    return r;
}

// x times a small factor, limb by limb (not carried).
template <int factor>
[[gnu::always_inline]] inline Lanes Times(const Lanes& x) {
    Lanes r = x;
    for (int i = 1; i < factor; ++i) r = Add(r, x);
    return r;
}

// x - (q - bias) p per lane, with q = (x's top limb) / 2^48, then carried;
// one lane multiplication by a small q instead of a product. For x = l4
// 2^208 + L (L from the lower limbs) this is (l4 mod 2^48) 2^208 + L +
// q (2^256 - p) + bias p, and 2^256 - p < 2^248.05. So a carried x (L >= 0)
// below 16 p needs bias 0 and leaves below 1.07 p; an uncarried difference
// (|L| < 2^212, x positive) needs bias 1 and leaves between p - 2^212 and
// 2.07 p.
[[gnu::always_inline]] inline Lanes Reduce(const Lanes& x, const V bias, const Constants& c) {
    const V q = _mm256_sub_epi64(_mm256_srai_epi64(x.l[kLimbs - 1], 48), bias);
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_sub_epi64(x.l[k], _mm256_mullo_epi64(q, c.p[k]));
    Normalize(r, c);
    return r;
}

// Lane i of the result is lane s_i of x.
template <int s0, int s1, int s2, int s3>
[[gnu::always_inline]] inline Lanes Permute(const Lanes& x) {
    constexpr int imm = s0 | s1 << 2 | s2 << 4 | s3 << 6;
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_permute4x64_epi64(x.l[k], imm);
    return r;
}

// Lane i from b where t_i is 1, else from a.
template <int t0, int t1, int t2, int t3>
[[gnu::always_inline]] inline Lanes Blend(const Lanes& a, const Lanes& b) {
    constexpr int imm = 3 * t0 | 3 * t1 << 2 | 3 * t2 << 4 | 3 * t3 << 6;
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_blend_epi32(a.l[k], b.l[k], imm);
    return r;
}

// b where the lanes of `take` are set, else a.
[[gnu::always_inline]] inline Lanes Select(__mmask8 take, const Lanes& a, const Lanes& b) {
    Lanes r;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r.l[k] = _mm256_mask_mov_epi64(a.l[k], take, b.l[k]);
    return r;
}

// The lanes whose value equals y's, for carried values.
[[gnu::always_inline]] inline __mmask8 Equal(const Lanes& x, const Lanes& y) {
    __mmask8 equal = 0xf;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) equal &= _mm256_cmpeq_epi64_mask(x.l[k], y.l[k]);
    return equal;
}

// The lanes that are zero, for carried values.
[[gnu::always_inline]] inline __mmask8 Zero(const Lanes& x) {
    __mmask8 zero = 0xf;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) zero &= _mm256_cmpeq_epi64_mask(x.l[k], _mm256_setzero_si256());
    return zero;
}

// The lanes that are zero modulo p, for carried values below 2 p.
[[gnu::always_inline]] inline __mmask8 ZeroModP(const Lanes& x, const Constants& c) {
    __mmask8 p = 0xf;
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) p &= _mm256_cmpeq_epi64_mask(x.l[k], c.p[k]);
    return Zero(x) | p;
}

// All four lanes set when lane `lane` of m is, else none.
template <int lane>
[[gnu::always_inline]] inline __mmask8 SpreadLane(__mmask8 m) {
    return static_cast<__mmask8>(0 - ((m >> lane) & 1)) & 0xf;
}

// Rows of four limbs to columns: w[j] lane i = x_i[j].
[[gnu::always_inline]] inline void Transpose(const V r0, const V r1, const V r2, const V r3, V w[4]) {
    const V t0 = _mm256_unpacklo_epi64(r0, r1), t1 = _mm256_unpackhi_epi64(r0, r1);
    const V t2 = _mm256_unpacklo_epi64(r2, r3), t3 = _mm256_unpackhi_epi64(r2, r3);
    w[0] = _mm256_permute2x128_si256(t0, t2, 0x20);
    w[1] = _mm256_permute2x128_si256(t1, t3, 0x20);
    w[2] = _mm256_permute2x128_si256(t0, t2, 0x31);
    w[3] = _mm256_permute2x128_si256(t1, t3, 0x31);
}

[[gnu::always_inline]] inline V Row(const Limb* x) { return _mm256_loadu_si256(reinterpret_cast<const V*>(x)); }

// The limbs of the values whose radix-2^64 limbs are w[0..3], times 2^s
// (0 or 4: the value must stay below 2^260).
[[gnu::always_inline]] inline void ToRadix52(const V w[4], int s, const V mask, V out[kLimbs]) {
    out[0] = _mm256_and_si256(_mm256_slli_epi64(w[0], s), mask);
    out[1] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[0], 52 - s), _mm256_slli_epi64(w[1], 12 + s)), mask);
    out[2] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[1], 40 - s), _mm256_slli_epi64(w[2], 24 + s)), mask);
    out[3] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(w[2], 28 - s), _mm256_slli_epi64(w[3], 36 + s)), mask);
    out[4] = _mm256_srli_epi64(w[3], 16 - s);
}

// Carried limbs of values below 2^256 to radix-2^64 limbs.
[[gnu::always_inline]] inline void FromRadix52(const V x[kLimbs], V w[4]) {
    w[0] = _mm256_or_si256(x[0], _mm256_slli_epi64(x[1], 52));
    w[1] = _mm256_or_si256(_mm256_srli_epi64(x[1], 12), _mm256_slli_epi64(x[2], 40));
    w[2] = _mm256_or_si256(_mm256_srli_epi64(x[2], 24), _mm256_slli_epi64(x[3], 28));
    w[3] = _mm256_or_si256(_mm256_srli_epi64(x[3], 36), _mm256_slli_epi64(x[4], 16));
}

// r below 2p, limbs not yet carried, becomes r mod p in carried limbs: r
// and r - p carried side by side, r - p kept unless it is negative.
[[gnu::always_inline]] inline void ReduceBelowTwoP(V r[kLimbs], const Constants& c) {
    V d[kLimbs];
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) d[k] = _mm256_sub_epi64(r[k], c.p[k]);
#pragma GCC unroll 4
    for (int k = 0; k + 1 < kLimbs; ++k) {
        r[k + 1] = _mm256_add_epi64(r[k + 1], _mm256_srli_epi64(r[k], 52));
        r[k] = _mm256_and_si256(r[k], c.mask);
        d[k + 1] = _mm256_add_epi64(d[k + 1], _mm256_srai_epi64(d[k], 52));
        d[k] = _mm256_and_si256(d[k], c.mask);
    }
    const V keep = _mm256_srai_epi64(d[kLimbs - 1], 63);  // all ones where r < p
#pragma GCC unroll 5
    for (int k = 0; k < kLimbs; ++k) r[k] = _mm256_blendv_epi8(d[k], r[k], keep);
}

// The values 2^s x_i (x_i below 2^256 in four limbs, s = 0 or 4) in five
// limbs of 52 bits.
[[gnu::always_inline]] inline Lanes Radix52(const Limb* x0, const Limb* x1, const Limb* x2, const Limb* x3, int s,
                                            const Constants& c) {
    V w[4];
    Transpose(Row(x0), Row(x1), Row(x2), Row(x3), w);
    Lanes r;
    ToRadix52(w, s, c.mask, r.l);
    return r;
}

// Four residues in Montgomery form for R = 2^256 (x_i below p) as values
// for R' = 2^260: 16 x_i, below 16 p, then reduced below 1.07 p.
[[gnu::always_inline]] inline Lanes FromElements(const Limb* x0, const Limb* x1, const Limb* x2, const Limb* x3,
                                                 const Constants& c) {
    return Reduce(Radix52(x0, x1, x2, x3, 4, c), _mm256_setzero_si256(), c);
}

// z_i = x_i f_i / 2^260 mod p, in [0, p), as four limbs, for x_i f_i below
// 16 p^2 (so that the product is below 2 p). With f_i = 2^256 mod p this
// takes values for R' back to residues for R = 2^256.
[[gnu::always_inline]] inline void ToElements(const Lanes& x, const Lanes& f, const Constants& c, Limb* z0, Limb* z1,
                                              Limb* z2, Limb* z3) {
    Lanes r;
    ProductColumns(x.l, f.l, c, r.l);
    ReduceBelowTwoP(r.l, c);
    V w[4], rows[4];
    FromRadix52(r.l, w);
    Transpose(w[0], w[1], w[2], w[3], rows);
    _mm256_storeu_si256(reinterpret_cast<V*>(z0), rows[0]);
    _mm256_storeu_si256(reinterpret_cast<V*>(z1), rows[1]);
    _mm256_storeu_si256(reinterpret_cast<V*>(z2), rows[2]);
    _mm256_storeu_si256(reinterpret_cast<V*>(z3), rows[3]);
}

}  // namespace arkseal::field256::lanes
