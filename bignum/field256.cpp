// The four-limb field of the workspace's modulus, the conversions between
// limbs and numbers, and the choice of the product's route.
#include "bignum/field256.h"

#include <algorithm>
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
// computation and modular inversion", 2019). With delta = 1, f = p, g = x:
//   if delta > 0 and g is odd:  delta, f, g = 1 - delta, g, (g - f) / 2
//   else if g is odd:           delta, f, g = 1 + delta, f, (g + f) / 2
//   else:                       delta, f, g = 1 + delta, f, g / 2
// f stays odd, and for inputs below 2^256 g is zero after 741 steps (the
// paper's bound (49 * 256 + 57) / 17), when f = +-gcd = +-1. Alongside,
// d and e keep f = d x and g = e x mod p (d = 0, e = 1 at the start), so
// then x^-1 = +-d.
//
// The steps run in batches of 62 on the low 64 bits of f and g, which decide
// the next 62 steps; a batch yields the matrix (u v; q r) with
// 2^62 (f', g') = (u f + v g, q f + r g), |u| + |v| <= 2^62 and
// |q| + |r| <= 2^62, which is then applied to the whole f, g, d and e.
// Numbers are five signed limbs of 62 bits (value = sum of l_i 2^(62 i),
// limbs 0-3 in [0, 2^62), the top limb carrying the sign). d and e stay in
// [0, p): u d + v e lies within +-2^62 p; adding m p with m in [0, 2^62)
// chosen to clear the low 62 bits and dividing by 2^62 gives a value in
// (-p, 2p), brought back into [0, p) by masks. Every step is the same
// sequence of instructions for every value.
using Signed62 = std::int64_t[5];

constexpr SignedWideLimb Wide(std::int64_t a) { return a; }

struct Transition {
    std::int64_t u, v, q, r;
};

// 62 divsteps from delta on the low words of f and g; returns the new delta.
std::int64_t Divsteps62(std::int64_t delta, Limb f, Limb g, Transition& t) {
    std::int64_t u = 1, v = 0, q = 0, r = 1;
    for (int i = 0; i < 62; ++i) {
        // Under `swap` (delta > 0, g odd): delta, f, g, u, v, q, r become
        // -delta, g, -f, q, r, -u, -v; then g odd adds f (row q, r adds u, v).
        const std::int64_t swap = ((0 - delta) >> 63) & (0 - static_cast<std::int64_t>(g & 1));
        const Limb swapMask = static_cast<Limb>(swap);
        delta = (delta ^ swap) - swap;
        const Limb fg = (f ^ g) & swapMask;
        f ^= fg;
        g = ((g ^ fg) ^ swapMask) - swapMask;
        const std::int64_t uq = (u ^ q) & swap, vr = (v ^ r) & swap;
        u ^= uq;
        q = ((q ^ uq) ^ swap) - swap;
        v ^= vr;
        r = ((r ^ vr) ^ swap) - swap;
        const Limb odd = 0 - (g & 1);
        g += f & odd;
        q += u & static_cast<std::int64_t>(odd);
        r += v & static_cast<std::int64_t>(odd);
        g >>= 1;
        u *= 2;
        v *= 2;
        delta += 1;
    }
    t = {u, v, q, r};
    return delta;
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

// One of d, e: x = (u d + v e + m p) / 2^62 in [0, p).
void ApplyToOne(const Field& field, const Signed62 p, std::int64_t u, std::int64_t v, const Signed62 d,
                const Signed62 e, Signed62 x) {
    const Limb low = static_cast<Limb>(u) * static_cast<Limb>(d[0]) + static_cast<Limb>(v) * static_cast<Limb>(e[0]);
    const std::int64_t m = static_cast<std::int64_t>((0 - low * field.inverse62) & kLow62);
    SignedWideLimb c = Wide(u) * d[0] + Wide(v) * e[0] + Wide(m) * p[0];
    c >>= 62;
    for (int i = 1; i < 5; ++i) {
        c += Wide(u) * d[i] + Wide(v) * e[i] + Wide(m) * p[i];
        x[i - 1] = static_cast<std::int64_t>(c) & kLow62;
        c >>= 62;
    }
    x[4] = static_cast<std::int64_t>(c);
    AddPIf(p, x[4] >> 63, x);  // (-p, 0) -> (0, p)
    Signed62 y;
    std::copy(x, x + 5, y);
    std::int64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
        const std::int64_t s = y[i] - p[i] + borrow;
        y[i] = s & kLow62;
        borrow = s >> 62;
    }
    y[4] += borrow - p[4];
    const std::int64_t keep = y[4] >> 63;  // x - p < 0: keep x
    for (int i = 0; i < 5; ++i) x[i] ^= ~keep & (x[i] ^ y[i]);
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
    std::int64_t delta = 1;
    for (int batch = 0; batch < 12; ++batch) {  // 744 >= 741 steps
        Transition t;
        delta = Divsteps62(delta, static_cast<Limb>(f[0]) | static_cast<Limb>(f[1]) << 62,
                           static_cast<Limb>(g[0]) | static_cast<Limb>(g[1]) << 62, t);
        ApplyToFg(t, f, g);
        Signed62 d2, e2;
        ApplyToOne(field, p, t.u, t.v, d, e, d2);
        ApplyToOne(field, p, t.q, t.r, d, e, e2);
        std::copy(d2, d2 + 5, d);
        std::copy(e2, e2 + 5, e);
    }
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
