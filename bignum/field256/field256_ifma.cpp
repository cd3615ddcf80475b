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
// This unit is compiled for AVX-512 and uses no inline function of a header
// (those would be compiled here for AVX-512 and could be the copy the linker
// keeps for every caller) except field256_lanes.h's, which only files built
// for AVX-512 include.
#include <arkseal/bignum/field256/field256_ifma.h>

#if defined(__x86_64__) && defined(__AVX512IFMA__) && defined(__AVX512VL__) && defined(__AVX512DQ__)

#include <arkseal/bignum/field256/field256_lanes.h>

namespace arkseal::field256 {
namespace {

using lanes::Constants;
using lanes::FromRadix52;
using lanes::kLimbs;
using lanes::Row;
using lanes::ToRadix52;
using lanes::Transpose;
using lanes::V;

[[gnu::always_inline]] inline Constants Load(const Field& f) { return lanes::LoadConstants(f); }

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

// r = a b / 2^256 mod p for a entered times 16, in carried limbs.
[[gnu::always_inline]] inline void Product(const V a[kLimbs], const V b[kLimbs], const Constants& c, V r[kLimbs]) {
    lanes::ProductColumns(a, b, c, r);
    lanes::ReduceBelowTwoP(r, c);
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
