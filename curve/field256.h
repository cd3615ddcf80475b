// Residues of a 256-bit modulus held in four 64-bit limbs, for the point
// formulas' hot loops: Montgomery product, sum, difference and halving give
// exactly the residues of MontgomeryMultiply, MontgomeryAdd and
// MontgomerySubtract for the workspace's current modulus when it has eight
// 32-bit digits (R = 2^256 either way), without the length bookkeeping of
// general numbers. Internal to curve/.
#pragma once

#include <cstdint>

#include "bignum/number_system.h"

namespace arkseal::curve_detail {

using Limbs = std::uint64_t[4];

struct Field256 {
    std::uint64_t p[4];
    std::uint64_t factor;  // -p^-1 mod 2^64
};

// The field of the current modulus, or nullptr when the modulus does not
// have exactly eight digit words of a power-of-two base (then the general
// Montgomery operations apply).
const Field256* CurrentField256();

void LoadLimbs(const std::uint32_t* x, Limbs out);  // x below 2^256
void StoreLimbs(const Limbs x, BigNumber out);      // out = x, normalised

bool LimbsZero(const Limbs x);
void FieldMultiply(const Field256& f, const Limbs x, const Limbs y, Limbs z);
void FieldAdd(const Field256& f, const Limbs x, const Limbs y, Limbs z);
void FieldSubtract(const Field256& f, const Limbs x, const Limbs y, Limbs z);
void FieldHalve(const Field256& f, const Limbs x, Limbs z);

}  // namespace arkseal::curve_detail
