// Montgomery product by rows on limbs (see montgomery_kernel.h).
//
// Each row adds x[i] y to the running sum t (k + 2 limbs), then adds q m
// with q = t[0] * (-m^-1) mod 2^64, which clears t[0], and shifts t down one
// limb. With x, y < R the sum stays below 2R before the shift of each row
// plus x[i] y, so k + 2 limbs hold it and z < R + m afterwards.
// Every 128-bit step a b + c + d with a, b, c, d < 2^64 fits in 128 bits.
#include "bignum/montgomery_kernel.h"

#include <type_traits>

#include "bignum/limb.h"

namespace arkseal {
namespace {

constexpr int kMaxLimbs = kMontgomeryKernelMaxWords / 2;

// Limbs of working space: exact for a fixed count, the maximum otherwise.
template <class Count>
struct Space {
  static constexpr int value = kMaxLimbs;
};
template <int K>
struct Space<std::integral_constant<int, K>> {
  static constexpr int value = K;
};
template <class Count>
constexpr int kSpace = Space<Count>::value;

template <class W, class WW, class Count>
inline void ProductRows(Count count, const W* x, const W* y, const W* m, W factor, W* t) {
  constexpr int kShift = 8 * sizeof(W);
  const int k = count;
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
template <class W, class WW, class Count>
inline void SubtractOnce(Count count, const W* m, W* t) {
  constexpr int kShift = 8 * sizeof(W);
  const int k = count;
  bool subtract = t[k] != 0;
  if (!subtract) {
    int i = k - 1;
    while (i >= 0 && t[i] == m[i]) --i;
    subtract = i < 0 || t[i] > m[i];
  }
  if (!subtract) return;
  W borrow = 0;
  for (int i = 0; i < k; ++i) {
    const WW d = WW(t[i]) - m[i] - borrow;
    t[i] = W(d);
    borrow = W(d >> kShift) & 1;
  }
  t[k] -= borrow;
}

template <class Count>
std::uint32_t LimbProduct(Count count, const std::uint32_t* x, const std::uint32_t* y, const std::uint32_t* m, Limb factor,
                 std::uint32_t* z) {
  const int k = count;
  Limb xl[kSpace<Count>], yl[kSpace<Count>], ml[kSpace<Count>], t[kSpace<Count> + 2];
  for (int i = 0; i < k; ++i) {
    xl[i] = LoadLimb(x + 2 * i);
    yl[i] = LoadLimb(y + 2 * i);
    ml[i] = LoadLimb(m + 2 * i);
  }
  ProductRows<Limb, WideLimb>(count, xl, yl, ml, factor, t);
  SubtractOnce<Limb, WideLimb>(count, ml, t);
  for (int i = 0; i < k; ++i) StoreLimb(z + 2 * i, t[i]);
  return std::uint32_t(t[k]);
}

template <int K>
using Fixed = std::integral_constant<int, K>;

}  // namespace

std::uint32_t MontgomeryProductWords(int words, const std::uint32_t* x, const std::uint32_t* y, const std::uint32_t* m,
                            std::uint32_t factor, std::uint32_t* z) {
  if (words % 2 != 0) {
    std::uint32_t t[kMontgomeryKernelMaxWords + 2];
    ProductRows<std::uint32_t, std::uint64_t>(words, x, y, m, factor, t);
    SubtractOnce<std::uint32_t, std::uint64_t>(words, m, t);
    for (int i = 0; i < words; ++i) z[i] = t[i];
    return t[words];
  }
  // -m^-1 mod 2^64 from -m^-1 mod 2^32 by one Newton step on the inverse.
  const Limb m0 = LoadLimb(m);
  Limb inverse = Limb(0u - factor);
  inverse *= 2 - m0 * inverse;
  const Limb limbFactor = 0 - inverse;
  switch (words / 2) {
    case 1: return LimbProduct(Fixed<1>{}, x, y, m, limbFactor, z);
    case 2: return LimbProduct(Fixed<2>{}, x, y, m, limbFactor, z);
    case 3: return LimbProduct(Fixed<3>{}, x, y, m, limbFactor, z);
    case 4: return LimbProduct(Fixed<4>{}, x, y, m, limbFactor, z);
    case 5: return LimbProduct(Fixed<5>{}, x, y, m, limbFactor, z);
    case 6: return LimbProduct(Fixed<6>{}, x, y, m, limbFactor, z);
    case 7: return LimbProduct(Fixed<7>{}, x, y, m, limbFactor, z);
    case 8: return LimbProduct(Fixed<8>{}, x, y, m, limbFactor, z);
    default: return LimbProduct(words / 2, x, y, m, limbFactor, z);
  }
}

}  // namespace arkseal
