// k G for a fixed point G and a 256-bit secret k, from precomputed multiples
// of G: no doublings, one mixed addition per five bits, in constant time.
// Internal to curve/.
#pragma once

#include <arkseal/curve/jacobian256.h>

namespace arkseal::curve_detail {

// R = k G for k[0..3] (least significant limb first). G must have a prime
// order above 2^255 (the key pair's generator has; see generator_comb.cpp).
// The table of multiples is built on the first call for this field and G in
// the calling thread and kept for later calls.
void MultiplyGenerator(const Field& f, const Affine& G, const Limb k[4], Jacobian& R);

}  // namespace arkseal::curve_detail
