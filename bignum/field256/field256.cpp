// The four-limb field of the workspace's modulus, the conversions between
// limbs and numbers, and the inversion.
#include <arkseal/bignum/field256/field256.h>

#include <arkseal/base/wipe.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal::field256 {
namespace {

struct CachedField {
    std::uint32_t modulus[8];
    Field field;
    bool valid;
};

thread_local CachedField cache{};

constexpr std::int64_t kLow62 = (std::int64_t{1} << 62) - 1;

void Build(const std::uint32_t* modulus, Field& f) {
    LoadLimbs(modulus, f.p);
    const Limb inverse = InverseOfLimb(f.p[0]);
    f.factor = 0 - inverse;
    f.inverse62 = inverse & kLow62;
    // R mod p: one, doubled 256 times; R^2 the same from R; R^3 = R^2 R^2 / R.
    Element r = {1, 0, 0, 0};
    for (int i = 0; i < 256; ++i) Add(f, r, r, r);
    Copy(r, f.one);
    for (int i = 0; i < 256; ++i) Add(f, r, r, r);
    Multiply(f, r, r, f.cube);
    constexpr Limb kLow52 = (Limb{1} << 52) - 1;
    f.p52[0] = f.p[0] & kLow52;
    f.p52[1] = (f.p[0] >> 52 | f.p[1] << 12) & kLow52;
    f.p52[2] = (f.p[1] >> 40 | f.p[2] << 24) & kLow52;
    f.p52[3] = (f.p[2] >> 28 | f.p[3] << 36) & kLow52;
    f.p52[4] = f.p[3] >> 16;
}

// The inversion by divsteps (Bernstein and Yang, "Fast constant-time gcd
// computation and modular inversion", 2019) in the variant whose delta
// starts at 1/2 (hddivsteps, P. Wuille, "The safegcd implementation in
// libsecp256k1 explained", 2021). With delta = 1/2, f = p, g = x:
//   if delta > 0 and g is odd:  delta, f, g = 1 - delta, g, (g - f) / 2
//   else if g is odd:           delta, f, g = 1 + delta, f, (g + f) / 2
//   else:                       delta, f, g = 1 + delta, f, g / 2
// f stays odd, and for inputs below 2^256 g is zero after 590 steps (the
// bound that Wuille computed for this variant; the paper's own bound for
// delta = 1, its theorem 11.2, is floor((49 * 256 + 57) / 17) = 741
// steps), when f = +-gcd = +-1. Alongside, d and e keep f = d x and
// g = e x mod p (d = 0, e = 1 at the start), so then x^-1 = +-d. The
// code keeps zeta = -(delta + 1/2), an integer whose sign bit is the
// condition delta > 0.
//
// The steps run in 10 batches of 59 on the low 64 bits of f and g, which
// decide the next 59 steps; a batch yields the matrix (u v; q r) with
// 2^62 (f', g') = (u f + v g, q f + r g), |u| + |v| <= 2^62 and
// |q| + |r| <= 2^62 (the steps' matrix scaled by 8), which is then applied
// to the whole f, g, d and e. Numbers are five signed limbs of 62 bits
// (value = sum of l_i 2^(62 i), limbs 0-3 in [0, 2^62), the top limb
// carrying the sign). Every step is the same sequence of instructions for
// every value.
using Signed62 = std::int64_t[5];

constexpr SignedWideLimb Wide(std::int64_t a) { return a; }

constexpr int kBatches = 10;  // 10 x 59 = 590 steps

struct Transition {
    std::int64_t u, v, q, r;
};

// A row (u, v) or (q, r) of the steps' matrix, whose two entries take the
// same operations each step (the vector registers where the compiler has
// them).
using Row = std::int64_t __attribute__((vector_size(16)));

// 59 steps from zeta on the low words f and g, the matrix starting at
// 8 times the identity; returns the new zeta, and leaves in fWord the low
// word of the last f, exact in its low 64 - 59 bits. Per step, with sw the
// mask of the swap (zeta < 0, g odd) and odd that of g odd:
// g += odd ? (sw ? -f : f) : 0 and f becomes the old g under sw, then
// g /= 2; the same on the rows, (q, r) += odd ? (sw ? -(u, v) : (u, v)) : 0
// and (u, v) becomes the old (q, r) under sw, then (u, v) is doubled. The
// mask of the next g's parity comes from bit 1 of the sum, before the shift.
[[gnu::always_inline]] inline std::int64_t Divsteps59(std::int64_t zeta, Limb& fWord, Limb g, Transition& t) {
    Limb f = fWord;
    Row fRow = {8, 0}, gRow = {0, 8};
    Limb odd = 0 - (g & 1);
    for (int i = 0; i < 59; ++i) {
        const Limb negative = static_cast<Limb>(zeta >> 63);
        const Limb sw = negative & odd;
        const Limb x = (f ^ negative) - negative;
        const Limb nextF = f ^ ((f ^ g) & sw);
        const std::int64_t oddMask = static_cast<std::int64_t>(odd), swMask = static_cast<std::int64_t>(sw);
        const Row rowOdd = {oddMask, oddMask}, rowSw = {swMask, swMask};
        const Row y = ((fRow ^ rowSw) - rowSw) & rowOdd;
        const Row nextFRow = fRow ^ ((fRow ^ gRow) & rowSw);
        gRow += y;
        fRow = nextFRow + nextFRow;
        const Limb sum = g + (x & odd);
        zeta = (zeta ^ swMask) - 1;
        f = nextF;
        odd = static_cast<Limb>(static_cast<std::int64_t>(sum << 62) >> 63);
        g = sum >> 1;
    }
    t = {fRow[0], fRow[1], gRow[0], gRow[1]};
    fWord = f;
    return zeta;
}

// (f, g) = (u f + v g, q f + r g) / 2^62, exactly.
[[gnu::always_inline]] inline void ApplyToFg(const Transition& t, Signed62 f, Signed62 g) {
    const std::int64_t u = t.u, v = t.v, q = t.q, r = t.r;
    SignedWideLimb cf = Wide(u) * f[0] + Wide(v) * g[0];
    SignedWideLimb cg = Wide(q) * f[0] + Wide(r) * g[0];
    cf >>= 62;
    cg >>= 62;
#pragma GCC unroll 4
    for (int i = 1; i < 5; ++i) {
        const std::int64_t fi = f[i], gi = g[i];
        cf += Wide(u) * fi + Wide(v) * gi;
        cg += Wide(q) * fi + Wide(r) * gi;
        f[i - 1] = static_cast<std::int64_t>(cf) & kLow62;
        g[i - 1] = static_cast<std::int64_t>(cg) & kLow62;
        cf >>= 62;
        cg >>= 62;
    }
    f[4] = static_cast<std::int64_t>(cf);
    g[4] = static_cast<std::int64_t>(cg);
}

// (d, e) = (u d + v e + md p, q d + r e + me p) / 2^62 for d and e in
// (-2p, p), with results again in (-2p, p); only d where rows = 1. With
// D = d + p where d < 0 (so D in (-p, p)) and E likewise, S = u D + v E
// lies within +-2^62 p; md is the multiple of p added for d < 0 and e < 0,
// less the k in [0, 2^62) with S - k p divisible by 2^62, which puts the
// result in (-2p, p). The same for e with q and r.
template <int rows>
[[gnu::always_inline]] inline void ApplyToDe(const Field& field, const Signed62 p, const Transition& t, Signed62 d,
                                             Signed62 e) {
    const std::int64_t u = t.u, v = t.v, q = t.q, r = t.r;
    const std::int64_t dNegative = d[4] >> 63, eNegative = e[4] >> 63;
    const Limb d0 = static_cast<Limb>(d[0]), e0 = static_cast<Limb>(e[0]);
    // The multiple of p for a row (a, b).
    const auto multiple = [&](std::int64_t a, std::int64_t b) {
        const std::int64_t m = (a & dNegative) + (b & eNegative);
        const Limb low = static_cast<Limb>(a) * d0 + static_cast<Limb>(b) * e0;
        return m - static_cast<std::int64_t>((low * field.inverse62 + static_cast<Limb>(m)) & kLow62);
    };
    const std::int64_t md = multiple(u, v), me = rows == 2 ? multiple(q, r) : 0;
    SignedWideLimb cd = (Wide(u) * d[0] + Wide(v) * e[0] + Wide(md) * p[0]) >> 62;
    SignedWideLimb ce = 0;
    if constexpr (rows == 2) ce = (Wide(q) * d[0] + Wide(r) * e[0] + Wide(me) * p[0]) >> 62;
#pragma GCC unroll 4
    for (int i = 1; i < 5; ++i) {
        const std::int64_t di = d[i], ei = e[i], pi = p[i];
        cd += Wide(u) * di + Wide(v) * ei + Wide(md) * pi;
        d[i - 1] = static_cast<std::int64_t>(cd) & kLow62;
        cd >>= 62;
        if constexpr (rows == 2) {
            ce += Wide(q) * di + Wide(r) * ei + Wide(me) * pi;
            e[i - 1] = static_cast<std::int64_t>(ce) & kLow62;
            ce >>= 62;
        }
    }
    d[4] = static_cast<std::int64_t>(cd);
    if constexpr (rows == 2) e[4] = static_cast<std::int64_t>(ce);
}

// x = x + p where mask is all ones, limbs carried.
void AddPIf(const Signed62 p, std::int64_t mask, Signed62 x) {
    std::int64_t carry = 0;
    for (int i = 0; i < 4; ++i) {
        const std::int64_t s = x[i] + (p[i] & mask) + carry;
        x[i] = s & kLow62;
        carry = s >> 62;
    }
    x[4] += (p[4] & mask) + carry;
}

void ToSigned62(const Element x, Signed62 s) {
    s[0] = static_cast<std::int64_t>(x[0] & kLow62);
    s[1] = static_cast<std::int64_t>((x[0] >> 62 | x[1] << 2) & kLow62);
    s[2] = static_cast<std::int64_t>((x[1] >> 60 | x[2] << 4) & kLow62);
    s[3] = static_cast<std::int64_t>((x[2] >> 58 | x[3] << 6) & kLow62);
    s[4] = static_cast<std::int64_t>(x[3] >> 56);
}

// For s in [0, 2^256).
void FromSigned62(const Signed62 s, Element x) {
    const auto l = [&](int i) { return static_cast<Limb>(s[i]); };
    x[0] = l(0) | l(1) << 62;
    x[1] = l(1) >> 2 | l(2) << 60;
    x[2] = l(2) >> 4 | l(3) << 58;
    x[3] = l(3) >> 6 | l(4) << 56;
}

// The low 64 bits of a value whose limbs 0 and 1 are in [0, 2^62).
Limb LowWord(const Signed62 x) { return static_cast<Limb>(x[0]) | static_cast<Limb>(x[1]) << 62; }

}  // namespace

const Field* CurrentField() {
    const NumberSystem& s = *CurrentNumberSystem();
    const BigNumber m = s.modulus;
    if (m == nullptr || detail::NumeratorLength(m) != 8 || detail::IsFraction(m) || detail::IsNegative(m) ||
        s.base != 0)
        return nullptr;
    bool same = cache.valid;
    for (int i = 0; i < 8 && same; ++i) same = cache.modulus[i] == m[1 + i];
    if (!same) {
        for (int i = 0; i < 8; ++i) cache.modulus[i] = m[1 + i];
        Build(m, cache.field);
        cache.valid = true;
    }
    return &cache.field;
}

void LoadLimbs(const std::uint32_t* x, Element out) {
    for (int i = 0; i < 4; ++i) out[i] = LoadLimb(x + 1 + 2 * i);
}

void StoreLimbs(const Element x, BigNumber out) {
    const int oldLength = detail::NumeratorLength(out);
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i) {
        StoreLimb(out + 1 + 2 * i, x[i]);
        // length = 2i + 1 or 2i + 2 where this limb's words are not zero
        const Limb low = x[i] & 0xFFFFFFFFu, high = x[i] >> 32;
        const Limb lowSet = 0 - ((low | (0 - low)) >> 63), highSet = 0 - ((high | (0 - high)) >> 63);
        length ^= static_cast<std::uint32_t>(lowSet) & (length ^ static_cast<std::uint32_t>(2 * i + 1));
        length ^= static_cast<std::uint32_t>(highSet) & (length ^ static_cast<std::uint32_t>(2 * i + 2));
    }
    for (int i = 9; i <= oldLength; ++i) out[i] = 0;
    out[0] = length;
}

void InvertPlain(const Field& field, const Element x, Element z) {
    Signed62 p, f, g, d = {}, e = {1, 0, 0, 0, 0};
    ToSigned62(field.p, p);
    ToSigned62(field.p, f);
    ToSigned62(x, g);
    std::int64_t zeta = -1;  // delta = 1/2
    Transition t;
    for (int batch = 0; batch < kBatches - 1; ++batch) {
        Limb fLow = LowWord(f);
        zeta = Divsteps59(zeta, fLow, LowWord(g), t);
        ApplyToFg(t, f, g);
        ApplyToDe<2>(field, p, t, d, e);
    }
    // The last batch leaves g = 0 and f = +-1, whose sign shows in the low
    // bits of the steps' own f word: only d is still needed. (For x = 0, f
    // stays p and d stays 0, whatever the sign.)
    Limb lastF = LowWord(f);
    Divsteps59(zeta, lastF, LowWord(g), t);
    ApplyToDe<1>(field, p, t, d, e);
    AddPIf(p, d[4] >> 63, d);  // (-2p, p) -> [0, p) in two steps
    AddPIf(p, d[4] >> 63, d);
    Element inverse;
    FromSigned62(d, inverse);
    NegateIf(field, 0 - (lastF >> 1 & 1), inverse, z);  // f = -1 (low bits 11111): x^-1 = -d
    SecureWipe(d, sizeof d);
    SecureWipe(e, sizeof e);
    SecureWipe(f, sizeof f);
    SecureWipe(g, sizeof g);
    SecureWipe(inverse, sizeof inverse);
    SecureWipe(&t, sizeof t);
}

}  // namespace arkseal::field256
