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

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {
namespace {

// z[0..n-1] += v modulo 2^(32n), v a small signed value held modulo 2^64.
void AddSmallModulo(std::uint32_t* z, int n, Limb v) {
    if (static_cast<std::int64_t>(v) >= 0) {
        AddLimbToEvenWords(z, n, v);
    } else {
        SubtractLimbFromEvenWords(z, n, -v);
    }
}

}  // namespace

void LowerHalfMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16MultiplyLow(z, x, y);
        return;
    }
    const int h = n / 2;
    KaratsubaMultiply(z, x, y, h, t);
    LowerHalfMultiply(t, x + h, y, h, t + h);
    AddMultipleOf16Words(z + h, z + h, t, h);
    LowerHalfMultiply(t, x, y + h, h, t + h);
    AddMultipleOf16Words(z + h, z + h, t, h);
}

void UpperHalfMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t) {
    assert(IsFastMultiplySize(n));
    if (n == 16) {
        Comba16MultiplyHigh(z, x, y);
        return;
    }
    const int h = n / 2;
    std::uint32_t* const low0 = z;           // L0 = A0
    std::uint32_t* const low1 = z + h;       // L1
    std::uint32_t* const high0 = z + n;      // half sums, then Z0, then the result
    std::uint32_t* const high1 = z + n + h;  // half sums, then Z1, then the result
    std::uint32_t* const middle0 = t;        // M0, then E_lo, then A1
    std::uint32_t* const middle1 = t + h;    // M1, then M1 - Z1 - A1

    const std::uint32_t cx = AddMultipleOf16Words(high0, x, x + h, h);
    const std::uint32_t cy = AddMultipleOf16Words(high1, y, y + h, h);
    KaratsubaMultiply(t, high0, high1, h, t + n);
    Limb m2 = cx & cy;
    if (cx) m2 += AddMultipleOf16Words(middle1, middle1, high1, h);
    if (cy) m2 += AddMultipleOf16Words(middle1, middle1, high0, h);
    KaratsubaMultiply(high0, x + h, y + h, h, t + n);

    Limb beta = SubtractMultipleOf16Words(middle0, middle0, high0, h);
    beta += SubtractMultipleOf16Words(middle0, middle0, low0, h);
    const Limb c = SubtractMultipleOf16Words(middle0, low1, middle0, h);
    Limb borrows = SubtractMultipleOf16Words(middle1, middle1, high1, h);
    borrows += SubtractMultipleOf16Words(middle1, middle1, middle0, h);

    const Limb carry = AddMultipleOf16Words(high0, high0, middle1, h);
    AddSmallModulo(high1, h, carry + m2 - borrows);
    AddSmallModulo(high0, n, c - beta);
}

}  // namespace arkseal
