// Montgomery reduction for moduli of n = 16 * 2^k words, and the inverse it needs.
//
// Reduction (subtractive form), R = 2^(32n), m odd, inv = m^-1 mod R,
// x = x1 R + x0 below m R:
//   q = x0 inv mod R                   (lower-half product)
//   q m = U R + x0                     (q m = x0 mod R, so its low half is x0)
//   (x - q m) / R = x1 - U             (upper-half product gives U)
// Since x < m R and q m < m R, x1 - U lies strictly between -m and m, so one
// conditional addition of m brings it to x R^-1 mod m, below m. At 16 words
// the steps run fused in one kernel (comba16_montgomery.cpp).
//
// Inverse by Newton (Hensel) lifting: if m y = 1 + f B (mod B^2) with B a
// power of 2^32, then y' = y (2 - m y) = y - B (y f mod B) (mod B^2) has
// m y' = 1 - f^2 B^2 = 1 (mod B^2). The first 64 bits come from the same
// iteration on one limb (InverseOfLimb).

#include <algorithm>
#include <cassert>

#include <arkseal/bignum/kernels/comba_columns.h>
#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {
namespace {

// z = (x y) mod 2^(64N) on N limbs (2N words), by columns.
template <int N>
void LowProductLimbs(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y) {
    comba::StoreLimbs(z, comba::LowHalf(comba::LoadLimbs<N>(x), comba::LoadLimbs<N>(y)));
}

// z = (x y) mod 2^(32n) for n a power of two from 2 words up; t: 2n words.
void LowProduct(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t) {
    switch (n) {
        case 2: return LowProductLimbs<1>(z, x, y);
        case 4: return LowProductLimbs<2>(z, x, y);
        case 8: return LowProductLimbs<4>(z, x, y);
        default: return LowerHalfMultiply(z, x, y, n, t);
    }
}

}  // namespace

void FastMontgomeryReduce(std::uint32_t* w, std::uint32_t* x, const std::uint32_t* m, const std::uint32_t* inv, int n,
                          std::uint32_t* q, std::uint32_t* t) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16MontgomeryReduce(w, x, m, inv);
        return;
    }
    std::copy(x + n, x + 2 * n, w);
    LowerHalfMultiply(q, x, inv, n, t);
    UpperHalfMultiply(x, q, m, n, t);
    if (SubtractMultipleOf16Words(w, w, x + n, n)) AddMultipleOf16Words(w, w, m, n);
}

void FastMontgomeryInverse(std::uint32_t* inv, const std::uint32_t* m, int n, std::uint32_t* t) {
    assert(IsFastMultiplySize(n) && m[0] % 2 == 1);
    std::fill(inv, inv + n, 0);
    StoreLimb(inv, InverseOfLimb(LoadLimb(m)));
    // inv[0..k-1] is the inverse mod 2^(32k) and inv[k..] is zero.
    for (int k = 2; k < n; k *= 2) {
        LowProduct(t, m, inv, 2 * k, t + 2 * k);
        LowProduct(t, inv, t + k, k, t + 2 * k);
        Carry borrow = 0;
        for (int i = 0; i < k; i += 2) StoreLimb(inv + k + i, SubBorrow(0, LoadLimb(t + i), borrow));
    }
}

}  // namespace arkseal
