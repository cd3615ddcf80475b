// Karatsuba product and square of n = 16 * 2^k words.
//
// With h = n/2 and B = 2^(32h), x = x1 B + x0 and y = y1 B + y0:
//   x y = x1 y1 B^2 + (x0 y1 + x1 y0) B + x0 y0,
//   x0 y1 + x1 y0 = (x0 + x1)(y0 + y1) - x0 y0 - x1 y1,
// three half-size products instead of four. The half sums are h words plus
// carries cx, cy: (sx + cx B)(sy + cy B) = sx sy + (cx sy + cy sx) B + cx cy B^2,
// so the middle term is an n-word array plus a small multiple of B^2 that is
// added one word above it; that multiple is never negative because the
// middle term is not.
// The square uses three half squares instead: with d = |x0 - x1|,
//   2 x0 x1 = x0^2 + x1^2 - d^2.
// The recursion ends in the 16-word Comba kernels. The temporary space t
// holds the middle term (n words) and, beyond it, the space of the recursion:
// n + n/2 + ... + 32 words, less than 2n. z must not overlap x, y or t.

#include <cassert>

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {

void KaratsubaMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16Multiply(z, x, y);
        return;
    }
    const int h = n / 2;
    const std::uint32_t cx = AddMultipleOf16Words(z, x, x + h, h);
    const std::uint32_t cy = AddMultipleOf16Words(z + h, y, y + h, h);
    KaratsubaMultiply(t, z, z + h, h, t + n);
    // top: the multiple of B^2 that the middle term holds beyond t[0..n-1]
    // (computed modulo 2^64: it may dip below zero before it is complete).
    Limb top = cx & cy;
    if (cx) top += AddMultipleOf16Words(t + h, t + h, z + h, h);
    if (cy) top += AddMultipleOf16Words(t + h, t + h, z, h);
    KaratsubaMultiply(z, x, y, h, t + n);
    top -= SubtractMultipleOf16Words(t, t, z, n);
    KaratsubaMultiply(z + n, x + h, y + h, h, t + n);
    top -= SubtractMultipleOf16Words(t, t, z + n, n);
    top += AddMultipleOf16Words(z + h, z + h, t, n);
    AddLimbToEvenWords(z + h + n, h, top);
}

void KaratsubaSquare(std::uint32_t* z, const std::uint32_t* x, int n, std::uint32_t* t) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16Square(z, x);
        return;
    }
    const int h = n / 2;
    if (CompareEvenWords(x, x + h, h) >= 0) {
        SubtractMultipleOf16Words(z, x, x + h, h);
    } else {
        SubtractMultipleOf16Words(z, x + h, x, h);
    }
    KaratsubaSquare(t, z, h, t + n);
    KaratsubaSquare(z, x, h, t + n);
    KaratsubaSquare(z + n, x + h, h, t + n);
    // t = x0^2 + x1^2 - d^2, with top as in the product.
    Limb top = 0;
    top -= SubtractMultipleOf16Words(t, z, t, n);
    top += AddMultipleOf16Words(t, t, z + n, n);
    top += AddMultipleOf16Words(z + h, z + h, t, n);
    AddLimbToEvenWords(z + h + n, h, top);
}

}  // namespace arkseal
