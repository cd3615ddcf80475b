// Scalars of any length reduced modulo the order n of the key agreement's
// curve (curve_domain.h), in constant time. For a point of order n,
// (s mod n) P = s P, so a long secret scalar can take the multiplication for
// 256-bit scalars and give the same point. Internal to curve/.
#pragma once

#include <arkseal/bignum/field256/field256.h>

namespace arkseal::curve_detail {

// r = s mod n for s[0..limbs-1] (64-bit limbs, least significant first):
// the same instructions for every value of s, as many as its limb count
// asks.
void ReduceModOrder(const Limb* s, int limbs, Limb r[4]);

}  // namespace arkseal::curve_detail
