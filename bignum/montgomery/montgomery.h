// Arithmetic modulo the workspace's current odd modulus n, with residues in
// Montgomery form (a * R mod n, R = 2^(32 len(n)) in base 0).
//
// Outputs come last and may be the same number as an input unless stated.
// Every operation returns at once while an error is pending, except that
// MontgomeryInverseMany still sets w[0] = 1 and w[1] = x[0], that
// MontgomerySquareRoot clears w first, and that the product on the fixed-size
// path does not test. Scratch numbers each operation overwrites (callers must
// not pass these expecting them to survive):
//   MontgomerySetModulus                         0-6, 17 (when n changes)
//   ToMontgomery, FromMontgomery, MultiplyInt    0
//   MontgomeryMultiply                           0 (and 7 on the fixed-size path)
//   MontgomeryAdd, Subtract, Negate              none
//   MontgomeryDivide, MontgomeryInverseMany      0-6
//   MontgomeryIntPower                           0-2
//   MontgomeryPower, MontgomeryPower2            0-9, 11-16
//   MontgomeryPowerMany                          0
//   MontgomerySquareRoot                         0-9, 11-18
//   MontgomeryLucas                              0-4, 11, 12
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// Makes n the current modulus and returns montgomeryFactor = -n^-1 mod 2^32.
// Setting the same modulus again is a comparison only. Error 19 and 0 unless
// n is odd and above 2.
std::uint32_t MontgomerySetModulus(const std::uint32_t* n);

// y = x * R mod n for any integer x; error 20 without a modulus.
void ToMontgomery(const std::uint32_t* x, BigNumber y);
// y = x * R^-1 mod n for 0 <= x < n * R.
void FromMontgomery(const std::uint32_t* x, BigNumber y);

// w = x * y * R^-1 mod n; x and y may be the same number (squaring).
void MontgomeryMultiply(const std::uint32_t* x, const std::uint32_t* y, BigNumber w);
// w = x + y mod n, w = x - y mod n, w = -x mod n (0 for 0), w = k * x mod n.
void MontgomeryAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber w);
void MontgomerySubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber w);
void MontgomeryNegate(const std::uint32_t* x, BigNumber w);
void MontgomeryMultiplyInt(const std::uint32_t* x, int k, BigNumber w);

// w = x / y mod n (Montgomery forms in and out); returns gcd(y, n), 1 on
// success. Error 7 when x and y are the same number.
int MontgomeryDivide(const std::uint32_t* x, const std::uint32_t* y, BigNumber w);
// w[i] = 1 / x[i] in Montgomery form for m numbers, with one inversion.
// Returns 1 on success, 0 on failure; error 7 when x and w are the same
// array, error 2 when some x[i] is 0.
int MontgomeryInverseMany(int m, const BigNumber* x, BigNumber* w);

// w = a^e in Montgomery form for a small int a and e >= 0.
void MontgomeryIntPower(int a, const std::uint32_t* e, BigNumber w);
// w = x^e; error 10 for e < 0.
void MontgomeryPower(const std::uint32_t* x, const std::uint32_t* e, BigNumber w);
// w = x^e * a^f; error 10 for a negative exponent.
void MontgomeryPower2(const std::uint32_t* x, const std::uint32_t* e, const std::uint32_t* a, const std::uint32_t* f,
                      BigNumber w);
// w = product of x[i]^e[i] over m pairs; error 22 unless the base is a power
// of two.
void MontgomeryPowerMany(int m, const BigNumber* x, const BigNumber* e, BigNumber w);

// w = a square root of x; returns 1. Returns 0 with w = 0 when x is not a
// square or the modulus is found not prime.
int MontgomerySquareRoot(const std::uint32_t* x, BigNumber w);
// v = V_e(p) and, when vp is a different number from v, vp = V_(e-1)(p), for
// V_0 = 2, V_1 = p, V_(k+1) = p V_k - V_(k-1); all in Montgomery form.
void MontgomeryLucas(const std::uint32_t* p, const std::uint32_t* e, BigNumber vp, BigNumber v);

}  // namespace arkseal
