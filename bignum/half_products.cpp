// Lower and upper halves of the product of two n-word arrays, n = 16 * 2^k.
//
// Lower half: with h = n/2 and B = 2^(32h),
//   x y mod B^2 = x0 y0 + ((x1 y0 mod B) + (x0 y1 mod B)) B   (mod B^2),
// one full half-size product and two lower halves of half size.
//
// Upper half, given the lower half L = L1 B + L0 of P = x y: with the
// Karatsuba middle product M = (x0 + x1)(y0 + y1) (including the carries of
// the half sums, so M = m2 B^2 + M1 B + M0 with a small m2) and Z = x1 y1 =
// Z1 B + Z0, the low product x0 y0 = A1 B + A0 is not formed:
//   A0 = L0, and P = B (E + A1) - A1 B^2 + A0 with E = Z B + M - Z - A0 >= 0.
// Write E = E_hi B + E_lo. The block L1 is (E_lo + A1) mod B, so
//   A1 = (L1 - E_lo) mod B, c = [L1 < E_lo] is the carry of E_lo + A1, and
//   P div B^2 = E_hi + c - A1
//             = Z + (M1 - Z1 - A1) + m2 B + c - beta,
// where beta counts the borrows of E_lo = M0 - Z0 - L0. Two half-size products
// (M and Z) instead of three; the result is computed modulo B^2, where it is
// exact because it lies below B^2. At 16 words the Comba high product does
// the same job column-wise.
//
// Temporary space t: the lower half needs n words, the upper half M (n words)
// and the recursion beyond it, less than 2n in all. z must not overlap x, y
// or t; the upper half reads z[0..n-1] and leaves it unchanged.

#include <cassert>

#include "bignum/fast_multiply.h"
#include "bignum/limb.h"

namespace arkseal {
namespace {

// z[0..n-1] += v modulo 2^(32n), v a small signed value held modulo 2^64.
void AddSmallModulo(int n, std::uint32_t* z, Limb v) {
    if (static_cast<std::int64_t>(v) >= 0) {
        AddToArray(n, z, v);
    } else {
        SubtractFromArray(n, z, -v);
    }
}

}  // namespace

void LowerHalfMultiply(int n, std::uint32_t* t, const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16MultiplyLow(x, y, z);
        return;
    }
    const int h = n / 2;
    KaratsubaMultiply(h, t, x, y, z);
    LowerHalfMultiply(h, t + h, x + h, y, t);
    ArrayAddInPlace(h, t, z + h);
    LowerHalfMultiply(h, t + h, x, y + h, t);
    ArrayAddInPlace(h, t, z + h);
}

void UpperHalfMultiply(int n, std::uint32_t* t, const std::uint32_t* x, const std::uint32_t* y, std::uint32_t* z) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16MultiplyHigh(x, y, z);
        return;
    }
    const int h = n / 2;
    std::uint32_t* const low0 = z;           // L0 = A0
    std::uint32_t* const low1 = z + h;       // L1
    std::uint32_t* const high0 = z + n;      // half sums, then Z0, then the result
    std::uint32_t* const high1 = z + n + h;  // half sums, then Z1, then the result
    std::uint32_t* const middle0 = t;        // M0, then E_lo, then A1
    std::uint32_t* const middle1 = t + h;    // M1, then M1 - Z1 - A1

    const std::uint32_t cx = ArrayAdd(h, x, x + h, high0);
    const std::uint32_t cy = ArrayAdd(h, y, y + h, high1);
    KaratsubaMultiply(h, t + n, high0, high1, t);
    Limb m2 = cx & cy;
    if (cx) m2 += ArrayAddInPlace(h, high1, middle1);
    if (cy) m2 += ArrayAddInPlace(h, high0, middle1);
    KaratsubaMultiply(h, t + n, x + h, y + h, high0);

    Limb beta = ArraySubtractInPlace(h, high0, middle0);
    beta += ArraySubtractInPlace(h, low0, middle0);
    const Limb c = ArraySubtract(h, low1, middle0, middle0);
    Limb borrows = ArraySubtractInPlace(h, high1, middle1);
    borrows += ArraySubtractInPlace(h, middle0, middle1);

    const Limb carry = ArrayAddInPlace(h, middle1, high0);
    AddSmallModulo(h, high1, carry + m2 - borrows);
    AddSmallModulo(n, high0, c - beta);
}

}  // namespace arkseal
