// Long division of normalised limb arrays, by divide and conquer for long
// divisors and quotients. Internal to bignum/.
#pragma once

#include <arkseal/bignum/kernels/limb.h>
#include <arkseal/bignum/products/limb_karatsuba.h>

namespace arkseal {

// Limbs of temporary space that DivideLimbs needs for divisors of up to n
// limbs.
constexpr int DivideLimbsSpace(int n) { return n + MultiplyLimbsSpace(n); }

// Divides u[0..nn) by v[0..n), n >= 2, v's top bit set and the top n limbs of
// u below v: q[0..nn - n) = the quotient, the remainder in u[0..n) (the limbs
// above it left undefined). t has DivideLimbsSpace(n) limbs.
void DivideLimbs(Limb* q, Limb* u, int nn, const Limb* v, int n, Limb* t);

}  // namespace arkseal
