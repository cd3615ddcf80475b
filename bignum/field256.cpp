// The four-limb field of the workspace's modulus, the conversions between
// limbs and numbers, and the choice of the product's route.
#include "bignum/field256.h"

#include <atomic>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include "bignum/number_internal.h"
#include "bignum/processor_features.h"

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
    PortableOps::Multiply(f, r, r, f.cube);
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
// bound that Wuille computed for this variant with the method of the
// paper's section 11, where the paper's own bound for delta = 1 is
// (49 * 256 + 57) / 17 = 741 steps), when f = +-gcd = +-1. Alongside, d and
// e keep f = d x and g = e x mod p (d = 0, e = 1 at the start), so then
// x^-1 = +-d. The code keeps zeta = -(delta + 1/2), an integer whose sign
// bit is the condition delta > 0.
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

// n <= 30 steps from zeta on the low words f and g, which are advanced. The
// rows of the steps' matrix are kept as single words, fRow = u + 2^32 v and
// gRow = q + 2^32 r: every step only adds, negates and doubles rows, which
// acts on these sums as on the pairs, and |u|, |v|, |q|, |r| <= 2^n < 2^31
// lets the pairs be read back. Per step, with sw the mask of the swap
// (zeta < 0, g odd) and odd that of g odd: g += odd ? (sw ? -f : f) : 0,
// then f += g under sw (f becomes the old g), g /= 2; the same on the rows,
// with the f row doubled where g is halved. The mask of the next g's
// parity comes from bit 1 of the sum, before the shift.
template <int n>
std::int64_t PackedDivsteps(std::int64_t zeta, Limb& f, Limb& g, Limb& fRow, Limb& gRow) {
    fRow = 1;
    gRow = Limb{1} << 32;
    Limb odd = 0 - (g & 1);
#pragma GCC unroll 30
    for (int i = 0; i < n; ++i) {
        const Limb negative = static_cast<Limb>(zeta >> 63);
        const Limb sw = negative & odd;
        const Limb x = (f ^ negative) - negative, y = (fRow ^ negative) - negative;
        const Limb nextF = f ^ ((f ^ g) & sw), nextFRow = fRow ^ ((fRow ^ gRow) & sw);
        const Limb sum = g + (x & odd);
        gRow += y & odd;
        zeta = (zeta ^ static_cast<std::int64_t>(sw)) - 1;
        f = nextF;
        fRow = nextFRow + nextFRow;
        odd = static_cast<Limb>(static_cast<std::int64_t>(sum << 62) >> 63);
        g = sum >> 1;
    }
    return zeta;
}

// The pair (a, b) of a row a + 2^32 b with |a|, |b| < 2^31.
void UnpackRow(Limb row, std::int64_t& a, std::int64_t& b) {
    a = static_cast<std::int32_t>(static_cast<std::uint32_t>(row));
    b = (static_cast<std::int64_t>(row) - a) >> 32;
}

// 59 steps from zeta on the low words of f and g, as 30 and 29 packed steps
// whose matrices are multiplied; returns the new zeta.
std::int64_t Divsteps59(std::int64_t zeta, Limb f, Limb g, Transition& t) {
    Limb fRow, gRow;
    std::int64_t u1, v1, q1, r1, u2, v2, q2, r2;
    zeta = PackedDivsteps<30>(zeta, f, g, fRow, gRow);
    UnpackRow(fRow, u1, v1);
    UnpackRow(gRow, q1, r1);
    zeta = PackedDivsteps<29>(zeta, f, g, fRow, gRow);
    UnpackRow(fRow, u2, v2);
    UnpackRow(gRow, q2, r2);
    t = {8 * (u2 * u1 + v2 * q1), 8 * (u2 * v1 + v2 * r1), 8 * (q2 * u1 + r2 * q1), 8 * (q2 * v1 + r2 * r1)};
    return zeta;
}

// (f, g) = (u f + v g, q f + r g) / 2^62, exactly.
void ApplyToFg(const Transition& t, Signed62 f, Signed62 g) {
    SignedWideLimb cf = Wide(t.u) * f[0] + Wide(t.v) * g[0];
    SignedWideLimb cg = Wide(t.q) * f[0] + Wide(t.r) * g[0];
    cf >>= 62;
    cg >>= 62;
    for (int i = 1; i < 5; ++i) {
        cf += Wide(t.u) * f[i] + Wide(t.v) * g[i];
        cg += Wide(t.q) * f[i] + Wide(t.r) * g[i];
        f[i - 1] = static_cast<std::int64_t>(cf) & kLow62;
        g[i - 1] = static_cast<std::int64_t>(cg) & kLow62;
        cf >>= 62;
        cg >>= 62;
    }
    f[4] = static_cast<std::int64_t>(cf);
    g[4] = static_cast<std::int64_t>(cg);
}

// (d, e) = (u d + v e + md p, q d + r e + me p) / 2^62 for d and e in
// (-2p, p), with results again in (-2p, p). With D = d + p where d < 0 (so
// D in (-p, p)) and E likewise, S = u D + v E lies within +-2^62 p; md is
// the multiple of p added for d < 0 and e < 0, less the k in [0, 2^62) with
// S - k p divisible by 2^62, which puts the result in (-2p, p).
void ApplyToDe(const Field& field, const Signed62 p, const Transition& t, Signed62 d, Signed62 e) {
    const std::int64_t dNegative = d[4] >> 63, eNegative = e[4] >> 63;
    std::int64_t md = (t.u & dNegative) + (t.v & eNegative), me = (t.q & dNegative) + (t.r & eNegative);
    const Limb lowD =
        static_cast<Limb>(t.u) * static_cast<Limb>(d[0]) + static_cast<Limb>(t.v) * static_cast<Limb>(e[0]);
    const Limb lowE =
        static_cast<Limb>(t.q) * static_cast<Limb>(d[0]) + static_cast<Limb>(t.r) * static_cast<Limb>(e[0]);
    md -= static_cast<std::int64_t>((lowD * field.inverse62 + static_cast<Limb>(md)) & kLow62);
    me -= static_cast<std::int64_t>((lowE * field.inverse62 + static_cast<Limb>(me)) & kLow62);
    SignedWideLimb cd = Wide(t.u) * d[0] + Wide(t.v) * e[0] + Wide(md) * p[0];
    SignedWideLimb ce = Wide(t.q) * d[0] + Wide(t.r) * e[0] + Wide(me) * p[0];
    cd >>= 62;
    ce >>= 62;
    for (int i = 1; i < 5; ++i) {
        cd += Wide(t.u) * d[i] + Wide(t.v) * e[i] + Wide(md) * p[i];
        ce += Wide(t.q) * d[i] + Wide(t.r) * e[i] + Wide(me) * p[i];
        d[i - 1] = static_cast<std::int64_t>(cd) & kLow62;
        e[i - 1] = static_cast<std::int64_t>(ce) & kLow62;
        cd >>= 62;
        ce >>= 62;
    }
    d[4] = static_cast<std::int64_t>(cd);
    e[4] = static_cast<std::int64_t>(ce);
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

Route DefaultRoute() {
    if (IfmaAvailable()) return Route::Ifma;
    return MulxAvailable() ? Route::Mulx : Route::Portable;
}

}  // namespace

std::atomic<Route> activeRoute{DefaultRoute()};

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
    for (int batch = 0; batch < kBatches; ++batch) {
        Transition t;
        zeta = Divsteps59(zeta, static_cast<Limb>(f[0]) | static_cast<Limb>(f[1]) << 62,
                          static_cast<Limb>(g[0]) | static_cast<Limb>(g[1]) << 62, t);
        ApplyToFg(t, f, g);
        ApplyToDe(field, p, t, d, e);
    }
    AddPIf(p, d[4] >> 63, d);  // (-2p, p) -> [0, p) in two steps
    AddPIf(p, d[4] >> 63, d);
    Element inverse;
    FromSigned62(d, inverse);
    NegateIf(field, static_cast<Limb>(f[4] >> 63), inverse, z);  // f = -1: x^-1 = -d
    detail::WipeMemory(d, sizeof d);
    detail::WipeMemory(e, sizeof e);
    detail::WipeMemory(f, sizeof f);
    detail::WipeMemory(g, sizeof g);
    detail::WipeMemory(inverse, sizeof inverse);
}

bool MulxAvailable() {
#if defined(__x86_64__)
    return processor::HasLeaf7Ebx(bit_BMI2 | bit_ADX);
#else
    return false;
#endif
}

bool IfmaAvailable() {
#if defined(__x86_64__)
    return MulxAvailable() && processor::HasLeaf7Ebx(bit_AVX512F | bit_AVX512DQ | bit_AVX512IFMA | bit_AVX512VL) &&
           processor::Avx512StateSaved();
#else
    return false;
#endif
}

bool SelectRoute(Route route) {
    if (route == Route::Mulx && !MulxAvailable()) return false;
    if (route == Route::Ifma && !IfmaAvailable()) return false;
    activeRoute.store(route, std::memory_order_relaxed);
    return true;
}

}  // namespace arkseal::field256
