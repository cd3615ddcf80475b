// Integer arithmetic on BigNumbers in the calling thread's workspace.
//
// Outputs come last and may be the same number as an input unless stated.
// Every operation that can fail returns at once, touching nothing, while an
// error is pending; those marked "always" run regardless. Scratch numbers are
// used as noted; a scratch number may not be passed to an operation that uses
// it internally.
#pragma once

#include <cstdint>

#include <arkseal/bignum/workspace/number_system.h>

namespace arkseal {

// The marker BigToInt returns (with the number's sign) for values that are
// not below it.
constexpr int kBigIntMarker = 0x40000000;

// --- sign, copy, comparison (always; BigZero and BigFromInt, which a new
// number needs, are in number_system.h) ---
int BigToInt(const std::uint32_t* x);
void BigCopy(const std::uint32_t* x, BigNumber y);  // x nullptr gives y = 0
void BigNegate(const std::uint32_t* x, BigNumber y);
void BigAbs(const std::uint32_t* x, BigNumber y);
int BigSign(const std::uint32_t* x);           // -1 when the sign bit is set, else +1
std::uint32_t BigSetSign(int s, BigNumber x);  // x = abs(x) with the sign of s
int BigCompare(const std::uint32_t* x, const std::uint32_t* y);

// --- addition and subtraction ---
void BigAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);       // errors 12, 3
void BigSubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);  // errors 12, 3
void BigAddInt(const std::uint32_t* x, int n, BigNumber z);
void BigSubtractInt(const std::uint32_t* x, int n, BigNumber z);
void BigMagnitudeAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);       // always; error 3
void BigMagnitudeSubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);  // always; error 4

// --- multiplication and division ---
// z = x * y; x == y takes the squaring path. Scratch 0 when z is x or y.
void BigMultiply(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);
void BigMultiplyInt(const std::uint32_t* x, int n, BigNumber z);  // scratch 0 near the length limit
// z = x / y truncated, x = x - z * y. x and y must differ (error 7); z == y
// leaves only the remainder, z == x only the quotient. Scratch 0.
void BigDivide(BigNumber x, BigNumber y, BigNumber z);
// z = x / n truncated; returns the remainder with the sign of x.
int BigDivideInt(const std::uint32_t* x, int n, BigNumber z);
int BigRemainderInt(const std::uint32_t* x, int n);
int BigIsDivisibleInt(const std::uint32_t* x, int n);
// q = (x * y + z) / w, r = the remainder. w and r must differ (error 7); z is
// added only when it differs from x and y; q == w stores no quotient, q == r
// stores the quotient only. Scratch 0.
void BigMultiplyAddDivide(const std::uint32_t* x, const std::uint32_t* y, const std::uint32_t* z, BigNumber w,
                          BigNumber q, BigNumber r);

// --- shifts and bits ---
void BigShiftWords(const std::uint32_t* x, int n, BigNumber z);  // z = x * base^n
void BigShiftBits(const std::uint32_t* x, int n, BigNumber z);   // z = x * 2^n; scratch 0, 1 in other bases
int BigBitLength(const std::uint32_t* x);                        // scratch 0 in other bases
int BigTestBit(const std::uint32_t* x, int n);                   // always; scratch 0 in other bases

// --- powers, roots, greatest common divisors ---
void BigIntPower(int b, int n, BigNumber x);
// w = x^n mod z (truncated remainder); z == w gives x^n plainly. Scratch 0, 5.
void BigPowerModInt(const std::uint32_t* x, int n, BigNumber z, BigNumber w);
// w = n-th root of x truncated toward zero; returns 1 when exact. Scratch
// 0, 1, 2, 3, 5, 6.
int BigRoot(const std::uint32_t* x, int n, BigNumber w);
// z = gcd(abs(x), abs(y)); returns BigToInt(z). Scratch 0, 1, 2.
int BigGcd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z);
// z = gcd with xd * x + yd * y = z. yd only when xd and yd differ; z only when
// it differs from both. Scratch 0-6.
int BigExtendedGcd(const std::uint32_t* x, const std::uint32_t* y, BigNumber xd, BigNumber yd, BigNumber z);

// --- word primitives with 64-bit intermediates ---
// (a * b + c) / m and its remainder.
std::uint32_t WordMultiplyDivide(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t m,
                                 std::uint32_t* remainder);
// (a * 2^32 + c) / m and its remainder (a < m).
std::uint32_t WordShiftDivide(std::uint32_t a, std::uint32_t c, std::uint32_t m, std::uint32_t* remainder);
// High and low words of a * b + c.
std::uint32_t WordMultiplyAdd(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t* low);
// High and low words of a * b + c + d.
std::uint32_t WordMultiplyAdd2(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t* low);

}  // namespace arkseal
