// Montgomery product on limbs (see montgomery_kernel.h): by columns for
// moduli of up to 8 limbs (at 4 limbs, the 256-bit moduli, the four-limb
// field's product, field256.h, whose portable route is the same columns); by
// rows above, by rows on words for odd lengths.
//
// Rows: each row adds x[i] y to the running sum t (k + 2 limbs), then adds q m
// with q = t[0] * (-m^-1) mod 2^64, which clears t[0], and shifts t down one
// limb. With x, y < R the sum stays below 2R before the shift of each row
// plus x[i] y, so k + 2 limbs hold it and z < R + m afterwards.
// Every 128-bit step a b + c + d with a, b, c, d < 2^64 fits in 128 bits.
#include "bignum/montgomery_kernel.h"

#include <type_traits>

#include "bignum/comba_columns.h"
#include "bignum/field256.h"
#include "bignum/limb.h"
#include "bignum/row_loops.h"

namespace arkseal {
namespace {

constexpr int kMaxLimbs = kMontgomeryKernelMaxWords / 2;

// t[0..k] = x y R^-1 (+ m), by rows; t has k + 2 entries.
template <class W>
void ProductRows(W* t, const W* x, const W* y, const W* m, W factor, int k) {
    using WW = rows::Double<W>;
    constexpr int kShift = rows::kBits<W>;
    for (int i = 0; i < k + 2; ++i) t[i] = 0;
    for (int i = 0; i < k; ++i) {
        const W xi = x[i];
        W c = 0;
        for (int j = 0; j < k; ++j) {
            const WW p = WW(xi) * y[j] + t[j] + c;
            t[j] = W(p);
            c = W(p >> kShift);
        }
        WW s = WW(t[k]) + c;
        t[k] = W(s);
        t[k + 1] = W(s >> kShift);
        const W q = t[0] * factor;
        WW p = WW(q) * m[0] + t[0];
        c = W(p >> kShift);
        for (int j = 1; j < k; ++j) {
            p = WW(q) * m[j] + t[j] + c;
            t[j - 1] = W(p);
            c = W(p >> kShift);
        }
        s = WW(t[k]) + c;
        t[k - 1] = W(s);
        t[k] = t[k + 1] + W(s >> kShift);
    }
}

// t[0..k] -= m when t >= m (t[k] is the top bit).
template <class W, class Count>
inline void SubtractOnce(W* t, const W* m, Count count) {
    using WW = rows::Double<W>;
    constexpr int kShift = rows::kBits<W>;
    const int k = count;
    bool subtract = t[k] != 0;
    if (!subtract) {
        int i = k - 1;
        while (i >= 0 && t[i] == m[i]) --i;
        subtract = i < 0 || t[i] > m[i];
    }
    if (!subtract) return;
    W borrow = 0;
#pragma GCC unroll 8
    for (int i = 0; i < k; ++i) {
        const WW d = WW(t[i]) - m[i] - borrow;
        t[i] = W(d);
        borrow = W(d >> kShift) & 1;
    }
    t[k] -= borrow;
}

// Rows on limbs for the longer moduli.
__attribute__((noinline)) std::uint32_t LimbProduct(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y,
                                                    const std::uint32_t* m, Limb factor, int k) {
    Limb xl[kMaxLimbs], yl[kMaxLimbs], ml[kMaxLimbs], t[kMaxLimbs + 2];
    for (int i = 0; i < k; ++i) {
        xl[i] = LoadLimb(x + 2 * i);
        yl[i] = LoadLimb(y + 2 * i);
        ml[i] = LoadLimb(m + 2 * i);
    }
    ProductRows<Limb>(t, xl, yl, ml, factor, k);
    SubtractOnce<Limb>(t, ml, k);
    for (int i = 0; i < k; ++i) StoreLimb(z + 2 * i, t[i]);
    return std::uint32_t(t[k]);
}

__attribute__((noinline)) std::uint32_t WordProduct(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y,
                                                    const std::uint32_t* m, std::uint32_t factor, int words) {
    std::uint32_t t[kMontgomeryKernelMaxWords + 2];
    ProductRows<std::uint32_t>(t, x, y, m, factor, words);
    SubtractOnce<std::uint32_t>(t, m, words);
    for (int i = 0; i < words; ++i) z[i] = t[i];
    return t[words];
}

template <int K>
using Fixed = std::integral_constant<int, K>;

// Product scanning for a fixed limb count K (comba::MontgomeryColumns).
template <int K>
__attribute__((noinline)) std::uint32_t ColumnProduct(std::uint32_t* zw, const std::uint32_t* xw,
                                                      const std::uint32_t* yw, const std::uint32_t* mw, Limb factor) {
    Limb x[K], y[K], m[K], t[K + 1];
#pragma GCC unroll 8
    for (int i = 0; i < K; ++i) {
        x[i] = LoadLimb(xw + 2 * i);
        y[i] = LoadLimb(yw + 2 * i);
        m[i] = LoadLimb(mw + 2 * i);
    }
    comba::MontgomeryColumns<K>(t, x, y, m, factor);
    SubtractOnce<Limb>(t, m, Fixed<K>{});
#pragma GCC unroll 8
    for (int i = 0; i < K; ++i) StoreLimb(zw + 2 * i, t[i]);
    return std::uint32_t(t[K]);
}

#if defined(__x86_64__)

// Four limbs, the 256-bit moduli, on the mulx route: the four-limb field's
// product. Its result is below 2^256, so the top bit is 0. (The portable
// route's product there is the column product, which ColumnProduct<4> runs
// without the copies into the field's layout.)
__attribute__((noinline)) std::uint32_t MulxFieldProduct(std::uint32_t* zw, const std::uint32_t* xw,
                                                         const std::uint32_t* yw, const std::uint32_t* mw,
                                                         Limb factor) {
    field256::Field f;
    field256::Element x, y, z;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
        f.p[i] = LoadLimb(mw + 2 * i);
        x[i] = LoadLimb(xw + 2 * i);
        y[i] = LoadLimb(yw + 2 * i);
    }
    f.factor = factor;
    if (xw == yw) {
        field256::MulxOps::Square(f, x, z);
    } else {
        field256::MulxOps::Multiply(f, x, y, z);
    }
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) StoreLimb(zw + 2 * i, z[i]);
    return 0;
}

#endif

}  // namespace

std::uint32_t MontgomeryProductWords(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y,
                                     const std::uint32_t* m, std::uint32_t factor, int words) {
    if (words % 2 != 0) return WordProduct(z, x, y, m, factor, words);
    // -m^-1 mod 2^64 from -m^-1 mod 2^32 by one Newton step on the inverse.
    const Limb m0 = LoadLimb(m);
    const Limb limbFactor = 0 - RefineInverse(m0, Limb(0u - factor));
    switch (words / 2) {
        case 1: return ColumnProduct<1>(z, x, y, m, limbFactor);
        case 2: return ColumnProduct<2>(z, x, y, m, limbFactor);
        case 3: return ColumnProduct<3>(z, x, y, m, limbFactor);
        case 4:
#if defined(__x86_64__)
            if (field256::ActiveRoute() == field256::Route::Mulx) return MulxFieldProduct(z, x, y, m, limbFactor);
#endif
            return ColumnProduct<4>(z, x, y, m, limbFactor);
        case 5: return ColumnProduct<5>(z, x, y, m, limbFactor);
        case 6: return ColumnProduct<6>(z, x, y, m, limbFactor);
        case 7: return ColumnProduct<7>(z, x, y, m, limbFactor);
        case 8: return ColumnProduct<8>(z, x, y, m, limbFactor);
        default: return LimbProduct(z, x, y, m, limbFactor, words / 2);
    }
}

}  // namespace arkseal
