// secret_multiply.cpp's prime-order multiplication on the AVX-512 IFMA unit
// (secret_multiply_lanes.cpp), with each point's coordinates side by side in
// the lanes of one set of registers, so that a doubling takes three passes
// of up to four products and an addition four.
// Internal to curve/.
#pragma once

#include <arkseal/curve/jacobian256.h>

namespace arkseal::curve_detail {

// A window's signed digit: |d| in 0..16, and all ones when d < 0.
struct SignedDigit {
    Limb magnitude;
    Limb negative;
};

// R = sum of d_i 32^i P over the windows i = 0..windows-1 (digits[i] = d_i,
// the top one >= 0) for a finite affine P of prime order n above 2^255 and
// a scalar below 2^256: only the last window's addition can meet its own
// operand, and only that one is complete. R is Jacobian, Z = 0 for
// infinity. Call only when field256::IfmaAvailable().
void MultiplyPrimeOrderInLanes(const Field& f, const Affine& P, const SignedDigit* digits, int windows, Jacobian& R);

}  // namespace arkseal::curve_detail
