// Montgomery product on limbs (see montgomery_kernel.h): by columns for
// moduli of up to 8 limbs, except 4 limbs (the 256-bit moduli) on the mulx
// and IFMA routes, which take the four-limb field's mulx product
// (field_routes.h); by rows above, by rows on words for odd lengths.
//
// The rows are rows::MontgomeryRows (row_loops.h), the columns
// comba::MontgomeryColumns (comba_columns.h).
#include <arkseal/bignum/montgomery/montgomery_kernel.h>

#include <type_traits>

#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/bignum/kernels/comba_columns.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {
namespace {

constexpr int kMaxLimbs = kMontgomeryKernelMaxWords / 2;

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
    rows::MontgomeryRows<Limb>(t, xl, yl, ml, factor, k);
    SubtractOnce<Limb>(t, ml, k);
    for (int i = 0; i < k; ++i) StoreLimb(z + 2 * i, t[i]);
    return std::uint32_t(t[k]);
}

__attribute__((noinline)) std::uint32_t WordProduct(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y,
                                                    const std::uint32_t* m, std::uint32_t factor, int words) {
    std::uint32_t t[kMontgomeryKernelMaxWords + 2];
    rows::MontgomeryRows<std::uint32_t>(t, x, y, m, factor, words);
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
            if (field256::RouteTakesEightWordProducts()) {
                field256::MultiplyEightWords(z, x, y, m, limbFactor);
                return 0;  // the product is below 2^256: no top bit
            }
            return ColumnProduct<4>(z, x, y, m, limbFactor);
        case 5: return ColumnProduct<5>(z, x, y, m, limbFactor);
        case 6: return ColumnProduct<6>(z, x, y, m, limbFactor);
        case 7: return ColumnProduct<7>(z, x, y, m, limbFactor);
        case 8: return ColumnProduct<8>(z, x, y, m, limbFactor);
        default: return LimbProduct(z, x, y, m, limbFactor, words / 2);
    }
}

}  // namespace arkseal
