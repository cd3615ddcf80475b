// Schoolbook long division of normalised limb arrays, the rows under the
// divide and conquer of recursive_division.h. Internal to bignum/.
#pragma once

#include <arkseal/bignum/kernels/limb.h>

namespace arkseal {

// Schoolbook division of u[0..nn) by v[0..n), n >= 2, v's top bit set and the
// top n limbs of u below v, with reciprocal = ReciprocalOf(v[n - 1], v[n - 2]):
// q[0..nn - n) = the quotient, the remainder in u[0..n) and zeros above it.
void DivideSchoolbook(Limb* q, Limb* u, int nn, const Limb* v, int n, Limb reciprocal);

}  // namespace arkseal
