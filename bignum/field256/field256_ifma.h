// The four-limb field's products on the AVX-512 IFMA unit (field256_ifma.cpp,
// the only unit compiled for it here). Call only where the IFMA route is
// available (field_routes.h).
#pragma once

#include <arkseal/bignum/field256/field256.h>

namespace arkseal::field256 {

// The doubling's products on the AVX-512 IFMA unit (field256_ifma.cpp),
// which runs beside the integer multiplier, so that the mulx products of the
// slope's chain and these go at once; the same residues as Multiply. Call
// only when IfmaAvailable(). For residues t = 2Y, Z and X: the first gives
// zOut = t Z, z2 = Z^2 and T = t^2 (kept in T52 as five limbs of 52 bits),
// the second s = X T and tt = T^2.
void IfmaDoublingFirst(const Field& f, const Element t, const Element Z, Element zOut, Element z2, Limb T52[5]);
void IfmaDoublingSecond(const Field& f, const Limb T52[5], const Element X, Element s, Element tt);

// Four products at once on the IFMA unit: z_i = x_i y_i for residues, all
// inputs read before any output is written.
void IfmaMultiplyFour(const Field& f, const Limb* const x[4], const Limb* const y[4], Limb* const z[4]);

}  // namespace arkseal::field256
