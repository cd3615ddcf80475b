// Scalar multiplication for secret scalars on the four-limb field (A = -3),
// in time that depends only on the scalar's limb count: fixed windows of
// five signed digits, every table entry read for every digit, additions that
// handle equal, opposite and infinite operands by masks. Internal to curve/.
#pragma once

#include <arkseal/curve/jacobian256.h>

namespace arkseal::curve_detail {

// R = k P for the scalar k[0..limbs-1] (64-bit limbs, least significant
// first) and any P, infinity (Z = 0) included. R is Jacobian, Z = 0 for
// infinity.
void MultiplySecret(const Field& f, const Limb* k, int limbs, const Jacobian& P, Jacobian& R);

// R = k P for the scalar k[0..3] and a finite affine P of prime order n
// above 2^255 (a point of the key agreement's curve). Only the last window's
// addition can meet the accumulator itself, so only that one is complete,
// and the table holds no doubles.
void MultiplySecretPrimeOrder(const Field& f, const Limb k[4], const Affine& P, Jacobian& R);

// PA = PA + P for any two points.
void AddSecret(const Field& f, const Jacobian& P, Jacobian& PA);

// The affine coordinates of P (one inversion); returns
// all ones, with (0, 0), for infinity.
Limb AffineOf(const Field& f, const Jacobian& P, Affine& out);

// z = x out of Montgomery form (x R^-1 mod p).
void FromMontgomery(const Field& f, const Element x, Element z);

}  // namespace arkseal::curve_detail
