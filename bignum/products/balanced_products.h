// Products of balanced operands of any length from 32 words up through the
// fixed-size Karatsuba routines, the operands padded with zeros to the next
// 16 * 2^k words where the three half-size products of each level cost less
// than the schoolbook rows; squares of exactly 16 * 2^k words from 64 up.
// Internal to bignum/.
#pragma once

#include <cstdint>

namespace arkseal {

// z[0..n+m) = x[0..n) * y[0..m); false (nothing written) when the schoolbook
// product is the cheaper. z apart from x and y.
bool MultiplyBalanced(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m);
// z[0..2n) = x[0..n)^2; false as above. z apart from x.
bool SquareBalanced(std::uint32_t* z, const std::uint32_t* x, int n);

}  // namespace arkseal
