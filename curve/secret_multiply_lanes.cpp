// The prime-order multiplication with each point in the lanes of one
// register set (bignum/field256/field256_lanes.h): radix 2^52,
// Montgomery form for R' = 2^260, values redundant below small multiples of
// p. Compiled for AVX-512 IFMA; uses no inline function of a header other
// than field256_lanes.h.
//
// The accumulator is kept as two register sets: xzd = (X, -, Z, Z^2) and
// y = 2Y in every lane, the doubled Y because both formulas want it, and Z^2
// because the doubling and the addition each find the next one as a product
// of values they have anyway. Keeping y apart lets the products that do not
// need it start before it is known.
//
// Doubling (A = -3), with y = 2Y, T = y^2, M = 3 (X - Z^2)(X + Z^2):
//   X' = M^2 - 2 X T,  y' = T (6 M X - T) - 2 M^3,  Z' = y Z,  Z'^2 = Z^2 T
// in three passes: (M/3, T, Z'), (M X, M^2, X T, Z'^2), (T W, M^3).
// Addition of an entry (X2, y2, Z2) with Z2^2 and Z2^3 stored:
//   U1 = X1 Z2^2, s1 = y1 Z2^3, U2 = X2 Z1^2, s2 = y2 Z1 Z1^2,
//   H = U2 - U1, I = (2H)^2, J = H I, r = s2 - s1, V = U1 I,
//   X3 = r^2 - J - 2V, y3 = 2 (r (V - X3) - s1 J), Z3 = 2 Z1 Z2 H
// in four passes: (U1, s1, U2, y2 Z1), (s2, Z1 Z2, I), (J, V, r^2, Z3),
// (r (V - X3), s1 J, Z3^2). These are the Jacobian point with Z scaled by 2
// against the product-after-product formulas: the same affine point.
//
// Bounds, in multiples of p (a product of values below u p and v p is below
// u v / 16 + 1; a reduction leaves below 2.05): the accumulator keeps X <
// 2.2, y < 3 (below 2.05 except right after it took a negated entry),
// Z, Z^2 < 1.5; entries have X2, y2 < 2.15, Z2 < 1.46, Z2^2 < 1.14, Z2^3 <
// 1.11, and a negated y2 is 3p - y2. Doubling: M/3 < 1.97, M < 5.92, T <
// 1.57, M X < 1.81, M^2 < 3.19, X T < 1.22, W < 12.9, T W < 2.26, M^3 <
// 2.18; X' < 6.2 and y' < 7.3 are reduced; Z' < 1.28, Z'^2 < 1.15.
// Addition: U1, s1, U2 < 1.22, y2 Z1 < 1.29, H < 3.3, s2, Z1 Z2 < 1.14,
// I < 3.6, r < 3.2, J < 1.75, V < 1.28, r^2 < 1.64, Z3 < 1.46, X3 < 6.7
// (reduced), V - X3 + 7p < 8.3, r (V - X3) < 2.67, s1 J < 1.14, Z3^2 <
// 1.14, y3 < 9.4 (reduced). Every value stays below 16 p, every product's
// operands below u v = 41.
#include <arkseal/curve/secret_multiply_lanes.h>

#if defined(__x86_64__) && defined(__AVX512IFMA__) && defined(__AVX512VL__) && defined(__AVX512DQ__)

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/field256/field256_lanes.h>

namespace arkseal::curve_detail {
namespace {

using field256::lanes::Add;
using field256::lanes::Blend;
using field256::lanes::Constants;
using field256::lanes::Lanes;
using field256::lanes::Multiply;
using field256::lanes::Normalize;
using field256::lanes::Permute;
using field256::lanes::Reduce;
using field256::lanes::Subtract;
using field256::lanes::Times;
using field256::lanes::V;

// 0 to 7 times p, for the differences.
struct Multiples {
    explicit Multiples(const Field& f) {
        for (int m = 0; m < 8; ++m) multiple[m] = field256::lanes::Multiple(f, m);
    }
    Lanes multiple[8];
};

struct Accumulator {
    Lanes xzd;  // X, -, Z, Z^2
    Lanes y;    // 2Y in every lane
};

// A table entry: (Z^2, Z^3, X, y) and Z in every lane.
struct Entry {
    Lanes a;
    Lanes z;
};

V LaneBias(int l0, int l1, int l2, int l3) { return _mm256_setr_epi64x(l0, l1, l2, l3); }

Lanes Carried(Lanes x, const Constants& c) {
    Normalize(x, c);
    return x;
}

void Double(Accumulator& acc, const Constants& c, const Multiples& k) {
    const Lanes& s = acc.xzd;
    const Lanes d = Permute<3, 3, 3, 3>(s);  // Z^2
    // (X - Z^2 + 2p, y, y, -) (X + Z^2, y, Z, -)
    const Lanes a1 = Blend<0, 1, 1, 0>(Carried(Subtract(s, d, k.multiple[2]), c), acc.y);
    const Lanes b1 = Blend<0, 1, 0, 0>(Carried(Blend<1, 0, 0, 0>(s, Add(s, d)), c), acc.y);
    const Lanes r1 = Multiply(a1, b1, c);  // M/3, T, Z', -
    const Lanes m = Permute<0, 0, 0, 0>(Carried(Times<3>(r1), c));
    const Lanes t = Permute<1, 1, 1, 1>(r1);
    // (M, M, X, Z^2) (X, M, T, T)
    const Lanes a2 = Blend<0, 0, 1, 1>(m, Permute<0, 0, 0, 3>(s));
    const Lanes b2 = Blend<1, 0, 0, 0>(Blend<0, 0, 1, 1>(m, t), s);
    const Lanes r2 = Multiply(a2, b2, c);  // M X, M^2, X T, Z'^2
    // (T, M, -, -) (6 M X - T + 2p, M^2, -, -)
    const Lanes twice = Add(r2, r2);
    const Lanes w = Carried(Subtract(Add(Add(twice, twice), twice), t, k.multiple[2]), c);
    const Lanes a3 = Blend<1, 0, 0, 0>(m, t);
    const Lanes b3 = Blend<0, 1, 1, 1>(w, r2);
    // X' = M^2 - 2 X T + 3p beside Z' and Z'^2, from the first two passes.
    const Lanes first = Blend<0, 0, 1, 0>(Permute<1, 1, 2, 3>(r2), r1);
    const Lanes second = Blend<0, 0, 1, 1>(Permute<2, 2, 2, 2>(r2), k.multiple[0]);
    const Lanes offset = Blend<0, 0, 1, 1>(k.multiple[3], k.multiple[0]);
    acc.xzd = Reduce(Subtract(first, Add(second, second), offset), LaneBias(1, 1, 0, 0), c);
    const Lanes r3 = Multiply(a3, b3, c);  // T W, M^3
    // y' = T W - 2 M^3 + 5p
    const Lanes cube = Permute<1, 1, 1, 1>(r3);
    acc.y = Reduce(Subtract(Permute<0, 0, 0, 0>(r3), Add(cube, cube), k.multiple[5]), LaneBias(1, 1, 1, 1), c);
}

// to = from in the lanes of `take` (all four or none).
void Select(__mmask8 take, const Accumulator& from, Accumulator& to) {
    to.xzd = field256::lanes::Select(take, to.xzd, from.xzd);
    to.y = field256::lanes::Select(take, to.y, from.y);
}

// The accumulator equal to the entry's point.
Accumulator FromEntry(const Entry& e) {
    return {Blend<0, 0, 1, 0>(Permute<2, 2, 0, 0>(e.a), e.z), Permute<3, 3, 3, 3>(e.a)};
}

// The lanes of x (carried, below 4p) that are zero modulo p.
__mmask8 ZeroBelowFourP(const Lanes& x, const Multiples& k) {
    return field256::lanes::Zero(x) | field256::lanes::Equal(x, k.multiple[1]) |
           field256::lanes::Equal(x, k.multiple[2]) | field256::lanes::Equal(x, k.multiple[3]);
}

// acc = acc + e: an entry with Z2 = 0 is infinity and leaves acc, an
// accumulator with Z1 = 0 mod p takes the entry. Equal points give nothing
// useful unless `complete`, which then takes the doubled entry (the caller
// rules them out otherwise).
template <bool complete>
void AddEntry(Accumulator& acc, const Entry& e, const Constants& c, const Multiples& k) {
    const Lanes& s = acc.xzd;
    // (X1, y1, X2, y2) (Z2^2, Z2^3, Z1^2, Z1)
    const Lanes a1 = Blend<0, 1, 0, 0>(Blend<0, 0, 1, 1>(s, e.a), acc.y);
    const Lanes b1 = Blend<0, 0, 1, 1>(e.a, Permute<0, 0, 3, 2>(s));
    const Lanes r1 = Multiply(a1, b1, c);                                     // U1, s1, U2, y2 Z1
    const Lanes hRaw = Subtract(r1, Permute<0, 0, 0, 0>(r1), k.multiple[2]);  // lane 2: H
    const Lanes h = Carried(hRaw, c), h2 = Carried(Add(hRaw, hRaw), c);
    // (y2 Z1, Z1, 2H, -) (Z1^2, Z2, 2H, -)
    const Lanes a2 = Blend<0, 1, 0, 0>(Blend<0, 0, 1, 0>(Permute<3, 3, 3, 3>(r1), h2), Permute<2, 2, 2, 2>(s));
    const Lanes b2 = Blend<0, 1, 0, 0>(Blend<0, 0, 1, 0>(Permute<3, 3, 3, 3>(s), h2), e.z);
    const Lanes r2 = Multiply(a2, b2, c);  // s2, Z1 Z2, I
    const Lanes r = Permute<0, 0, 0, 0>(Carried(Subtract(r2, Permute<1, 1, 1, 1>(r1), k.multiple[2]), c));
    // (H, U1, r, Z1 Z2) (I, I, r, 2H)
    const Lanes u1z = Blend<0, 0, 0, 1>(Permute<0, 0, 0, 0>(r1), Permute<1, 1, 1, 1>(r2));
    const Lanes a3 = Blend<1, 0, 0, 0>(Blend<0, 0, 1, 0>(u1z, r), Permute<2, 2, 2, 2>(h));
    const Lanes b3 = Blend<0, 0, 1, 1>(Permute<2, 2, 2, 2>(r2), Blend<0, 0, 0, 1>(r, Permute<2, 2, 2, 2>(h2)));
    const Lanes r3 = Multiply(a3, b3, c);  // J, V, r^2, Z3
    // X3 = r^2 - J - 2V + 5p, not yet carried
    const Lanes j = Permute<0, 0, 0, 0>(r3), v = Permute<1, 1, 1, 1>(r3);
    const Lanes x3 = Subtract(Permute<2, 2, 2, 2>(r3), Add(j, Add(v, v)), k.multiple[5]);
    // (r, s1, Z3, -) (V - X3 + 7p, J, Z3, -)
    const Lanes a4 = Blend<0, 1, 1, 0>(r, Permute<1, 1, 3, 3>(Blend<0, 0, 0, 1>(r1, r3)));
    const Lanes b4 = Blend<0, 1, 1, 0>(Carried(Subtract(v, x3, k.multiple[7]), c), Permute<0, 0, 3, 3>(r3));
    const Lanes r4 = Multiply(a4, b4, c);  // r (V - X3), s1 J, Z3^2
    const Lanes diff = Subtract(Permute<0, 0, 0, 0>(r4), Permute<1, 1, 1, 1>(r4), k.multiple[2]);
    Accumulator sum;
    sum.y = Reduce(Add(diff, diff), LaneBias(1, 1, 1, 1), c);
    // X3, -, Z3, Z3^2
    sum.xzd = Blend<0, 0, 1, 1>(Reduce(x3, LaneBias(1, 1, 1, 1), c),
                                Blend<0, 0, 0, 1>(Permute<3, 3, 3, 3>(r3), Permute<2, 2, 2, 2>(r4)));
    if constexpr (complete) {
        const __mmask8 equal =
            field256::lanes::SpreadLane<2>(ZeroBelowFourP(h, k)) & field256::lanes::SpreadLane<0>(ZeroBelowFourP(r, k));
        Accumulator twice = FromEntry(e);
        Double(twice, c, k);
        Select(equal, twice, sum);
    }
    Select(field256::lanes::SpreadLane<2>(field256::lanes::ZeroModP(s, c)), FromEntry(e), sum);
    Select(field256::lanes::SpreadLane<0>(field256::lanes::Zero(e.z)), acc, sum);
    acc = sum;
}

// Entry j of the table, its y negated where negative is all ones: every
// entry is read, the one whose index matches kept by a mask.
Entry Lookup(const Entry* table, Limb index, Limb negative, const Constants& c, const Multiples& k) {
    Entry out = {};
    const V wanted = _mm256_set1_epi64x(static_cast<long long>(index));
    for (int j = 1; j <= 16; ++j) {
        const V mask = _mm256_cmpeq_epi64(wanted, _mm256_set1_epi64x(j));
#pragma GCC unroll 5
        for (int k = 0; k < field256::lanes::kLimbs; ++k) {
            out.a.l[k] = _mm256_ternarylogic_epi64(out.a.l[k], mask, table[j].a.l[k], 0xf8);
            out.z.l[k] = _mm256_ternarylogic_epi64(out.z.l[k], mask, table[j].z.l[k], 0xf8);
        }
    }
    const Lanes negated = Carried(Subtract(k.multiple[0], out.a, k.multiple[3]), c);
    const __mmask8 take = static_cast<__mmask8>(negative & 0x8);
    out.a = field256::lanes::Select(take, out.a, negated);
    return out;
}

// The accumulator of the affine point (x, y) (Montgomery form for R = 2^256):
// (X, X, 1, 1) and y = 2Y, each value below 1.04 p, y below 2.1 p.
Accumulator FromAffine(const Field& f, const Affine& P, const Constants& c) {
    const Lanes v = field256::lanes::FromElements(P.x, P.y, f.one, f.one, c);  // X, Y, 1, 1
    return {Permute<0, 0, 2, 3>(v), Carried(Permute<1, 1, 1, 1>(Add(v, v)), c)};
}

// The entry of the accumulator's point: Z^3 is its one product.
Entry ToEntry(const Accumulator& acc, const Constants& c) {
    const Lanes z = Permute<2, 2, 2, 2>(acc.xzd);
    const Lanes cube = Multiply(z, Permute<3, 3, 3, 3>(acc.xzd), c);
    return {Blend<0, 0, 0, 1>(Blend<0, 1, 0, 0>(Permute<3, 3, 0, 0>(acc.xzd), cube), acc.y), z};
}

// (2^256 / 2) mod p: the factor that takes y = 2Y back to Y R.
void HalfOfOne(const Field& f, Limb out[4]) {
    const Limb odd = 0 - (f.one[0] & 1);
    unsigned __int128 sum = 0;
    Limb s[4];
    for (int i = 0; i < 4; ++i) {
        sum += static_cast<unsigned __int128>(f.one[i]) + (f.p[i] & odd);
        s[i] = static_cast<Limb>(sum);
        sum >>= 64;
    }
    const Limb top = static_cast<Limb>(sum);
    for (int i = 0; i < 3; ++i) out[i] = s[i] >> 1 | s[i + 1] << 63;
    out[3] = s[3] >> 1 | top << 63;
}

}  // namespace

void MultiplyPrimeOrderInLanes(const Field& f, const Affine& P, const SignedDigit* digits, int windows, Jacobian& R) {
    const Constants c = field256::lanes::LoadConstants(f);
    const Multiples k(f);
    // T[j] = j P: doublings, and additions of P that never meet P or -P
    // (j P = +-P would need n <= 17).
    Entry table[17] = {};
    table[1] = ToEntry(FromAffine(f, P, c), c);
    for (int j = 1; j <= 8; ++j) {
        Accumulator multiple = FromEntry(table[j]);
        Double(multiple, c, k);
        table[2 * j] = ToEntry(multiple, c);
        if (2 * j + 1 > 16) continue;
        AddEntry<false>(multiple, table[1], c, k);
        table[2 * j + 1] = ToEntry(multiple, c);
    }
    Accumulator acc = FromEntry(Lookup(table, digits[windows - 1].magnitude, 0, c, k));
    for (int i = windows - 2; i >= 0; --i) {
        for (int d = 0; d < 5; ++d) Double(acc, c, k);
        const Entry e = Lookup(table, digits[i].magnitude, digits[i].negative, c, k);
        if (i > 0) {
            AddEntry<false>(acc, e, c, k);
        } else {
            AddEntry<true>(acc, e, c, k);
        }
    }
    // Out of the lanes: (X, y, Z, -) times (2^256, 2^255, 2^256, -) / 2^260.
    Limb half[4], unused[4];
    HalfOfOne(f, half);
    const Lanes factor = field256::lanes::Radix52(f.one, half, f.one, f.one, 0, c);
    field256::lanes::ToElements(Blend<0, 1, 0, 0>(acc.xzd, acc.y), factor, c, R.X, R.Y, R.Z, unused);
    SecureWipe(table, sizeof table);
    SecureWipe(&acc, sizeof acc);
    SecureWipe(unused, sizeof unused);
}

}  // namespace arkseal::curve_detail

#else

#include <cstdlib>

namespace arkseal::curve_detail {

void MultiplyPrimeOrderInLanes(const Field&, const Affine&, const SignedDigit*, int, Jacobian&) { std::abort(); }

}  // namespace arkseal::curve_detail

#endif
