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

#include "bignum/fast_multiply.h"
#include "bignum/limb.h"

namespace arkseal {

void KaratsubaMultiply(int n, std::uint32_t* t, const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16Multiply(x, y, z);
        return;
    }
    const int h = n / 2;
    const std::uint32_t cx = ArrayAdd(h, x, x + h, z);
    const std::uint32_t cy = ArrayAdd(h, y, y + h, z + h);
    KaratsubaMultiply(h, t + n, z, z + h, t);
    // top: the multiple of B^2 that the middle term holds beyond t[0..n-1]
    // (computed modulo 2^64: it may dip below zero before it is complete).
    Limb top = cx & cy;
    if (cx) top += ArrayAddInPlace(h, z + h, t + h);
    if (cy) top += ArrayAddInPlace(h, z, t + h);
    KaratsubaMultiply(h, t + n, x, y, z);
    top -= ArraySubtractInPlace(n, z, t);
    KaratsubaMultiply(h, t + n, x + h, y + h, z + n);
    top -= ArraySubtractInPlace(n, z + n, t);
    top += ArrayAddInPlace(n, t, z + h);
    AddToArray(h, z + h + n, top);
}

void KaratsubaSquare(int n, std::uint32_t* t, const std::uint32_t* x, std::uint32_t* z) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16Square(x, z);
        return;
    }
    const int h = n / 2;
    if (CompareArrays(h, x, x + h) >= 0) {
        ArraySubtract(h, x, x + h, z);
    } else {
        ArraySubtract(h, x + h, x, z);
    }
    KaratsubaSquare(h, t + n, z, t);
    KaratsubaSquare(h, t + n, x, z);
    KaratsubaSquare(h, t + n, x + h, z + n);
    // t = x0^2 + x1^2 - d^2, with top as in the product.
    Limb top = 0;
    top -= ArraySubtract(n, z, t, t);
    top += ArrayAddInPlace(n, z + n, t);
    top += ArrayAddInPlace(n, t, z + h);
    AddToArray(h, z + h + n, top);
}

}  // namespace arkseal
