// Products of word arrays taken two words at a time, as 64-bit limbs with
// 128-bit intermediates. Same results as the word-by-word products, with a
// quarter of the multiplications.
#pragma once

#include <cstdint>

namespace arkseal {

// z[0..n+m) = x[0..n) * y[0..m); false (nothing written) when the operands
// are longer than the limb buffers. z apart from x and y.
bool MultiplyWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m);
// z[0..2n) = x[0..n)^2; false as above. z apart from x.
bool SquareWordsInLimbs(std::uint32_t* z, const std::uint32_t* x, int n);

}  // namespace arkseal
