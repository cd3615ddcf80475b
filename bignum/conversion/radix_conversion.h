// Conversion of digit arrays between full words (radix 2^32) and one other
// radix B (2 <= B <= 2^31), least significant digit first. Internal to
// bignum/.
#pragma once

#include <cstdint>

#include <arkseal/bignum/kernels/word_kernels.h>

namespace arkseal {

// z = the n digits x[0..n) of radix `base` as full words. Returns the length
// of z without leading zeros, -1 when that is more than limit words (z then
// holds no meaning), -2 (nothing written) when the operands are longer than
// the stack buffers.
int WordsFromDigits(Word* z, int limit, const Word* x, int n, Word base);
// z = the n full words x[0..n) as digits of radix `base`; results as above.
int DigitsFromWords(Word* z, int limit, const Word* x, int n, Word base);

}  // namespace arkseal
