// Products and squares of 64-bit limb arrays of any lengths: the schoolbook
// rows for short operands, Karatsuba's three half-length products for long
// ones, with halves of any length (no padding). Internal to bignum/.
#pragma once

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal {

// Limbs of temporary space that MultiplyLimbs needs for operands of up to n
// limbs.
constexpr int MultiplyLimbsSpace(int n) { return 6 * n + 128; }

// z[0..n+m) = x[0..n) * y[0..m) for n >= m >= 1; t has MultiplyLimbsSpace(n)
// limbs. z apart from x, y and t.
void MultiplyLimbs(Limb* z, const Limb* x, int n, const Limb* y, int m, Limb* t);
// z[0..2n) = x[0..n)^2, n >= 1; t has MultiplyLimbsSpace(n) limbs. z apart
// from x and t.
void SquareLimbs(Limb* z, const Limb* x, int n, Limb* t);

}  // namespace arkseal
