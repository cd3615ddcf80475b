// The windows of secret_multiply.cpp's prime-order multiplication on the
// AVX-512 IFMA unit (secret_multiply_lanes.cpp), with each point's
// coordinates side by side in the lanes of one set of registers, so that a
// doubling takes three passes of up to four products and an addition four.
// Internal to curve/.
#pragma once

#include "curve/jacobian256.h"

namespace arkseal::curve_detail {

// A window's signed digit: |d| in 0..16, and all ones when d < 0.
struct SignedDigit {
    Limb magnitude;
    Limb negative;
};

// R = sum of d_i 32^(i-1) P over the windows i = 1..windows-1, where T[j] =
// j P for j = 1..16 (entry 0 unused), digits[i] = d_i and d_(windows-1) >= 0:
// every window but the lowest, which the caller adds completely after five
// more doublings. For a P of prime order above 2^255 and a scalar below
// 2^256, no addition here meets its own operand. Call only when
// field256::IfmaAvailable().
void MultiplyUpperWindowsInLanes(const Field& f, const Jacobian T[17], const SignedDigit* digits, int windows,
                                 Jacobian& R);

}  // namespace arkseal::curve_detail
