#pragma once
// Fixed-size multiplication and Montgomery reduction on raw digit arrays.
//
// Used by the Montgomery product for moduli of n = 16 * 2^k digit words
// (512, 1024, 2048, ... bits). Every array is 32-bit digits, least
// significant first, with exactly the number of words stated; n is always a
// multiple of 16. Nothing allocates: the caller hands in the temporary space
// t (in the workspace, the digit words of a double-length scratch number).
// Arguments run destination first, then the operands, the word count and
// the temporary space.
//
// Aliasing: outputs must not overlap inputs or temporary space, except where
// a routine says otherwise.

#include <cstdint>

namespace arkseal {

// True for the sizes these routines handle: 16 * 2^k words.
constexpr bool IsFastMultiplySize(int words) { return words >= 16 && (words & (words - 1)) == 0; }

// z[0..31] = x[0..15] * y[0..15].
void Comba16Multiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y);
// z[0..31] = x[0..15]^2.
void Comba16Square(std::uint32_t* z, const std::uint32_t* x);
// z[0..15] = the low 16 words of x[0..15] * y[0..15].
void Comba16MultiplyLow(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y);
// z[16..31] = the high 16 words of x[0..15] * y[0..15], given that z[0..15]
// already holds the low 16 words of that product (which it reads).
void Comba16MultiplyHigh(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y);

// w[0..15] = x[0..31] * 2^-512 mod m[0..15], below m, for x below m * 2^512, m
// odd and inv = m^-1 mod 2^512. w may overlap x.
void Comba16MontgomeryReduce(std::uint32_t* w, const std::uint32_t* x, const std::uint32_t* m,
                             const std::uint32_t* inv);

// z = x + y over n words, n a multiple of 16 (the name says so); returns the
// carry (0 or 1). z may be x or y.
std::uint32_t AddMultipleOf16Words(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n);
// z = x - y over n words, n a multiple of 16; returns the borrow (0 or 1). z
// may be x or y.
std::uint32_t SubtractMultipleOf16Words(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n);

// z[0..2n-1] = x * y; t: 2n words of temporary space.
void KaratsubaMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t);
// z[0..2n-1] = x^2; t: 2n words.
void KaratsubaSquare(std::uint32_t* z, const std::uint32_t* x, int n, std::uint32_t* t);
// z[0..n-1] = (x * y) mod 2^(32n); t: 2n words.
void LowerHalfMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t);
// z[n..2n-1] = the upper n words of x * y, where z[0..n-1] already holds the
// lower n words of that product and is left unchanged; t: 2n words.
void UpperHalfMultiply(std::uint32_t* z, const std::uint32_t* x, const std::uint32_t* y, int n, std::uint32_t* t);

// Montgomery reduction with R = 2^(32n): w[0..n-1] = x * R^-1 mod m, below m,
// for x[0..2n-1] below m * R. m is odd, inv = m^-1 mod R. On return x[0..n-1]
// is unchanged and x[n..2n-1] may be overwritten. q: n words and t: 2n words
// of temporary space. w must not overlap x, q or t.
void FastMontgomeryReduce(std::uint32_t* w, std::uint32_t* x, const std::uint32_t* m, const std::uint32_t* inv, int n,
                          std::uint32_t* q, std::uint32_t* t);
// inv[0..n-1] = m^-1 mod 2^(32n) for an odd m[0..n-1]; t: 2n words.
void FastMontgomeryInverse(std::uint32_t* inv, const std::uint32_t* m, int n, std::uint32_t* t);

}  // namespace arkseal
