// Products of whole digit arrays, each choosing its route by length. In
// radix 2^32 (base 0): long balanced operands go to the Karatsuba recursion
// (balanced_products.h), the rest to the 64-bit limb products as far as their
// stack buffers reach (limb_products.h), and only longer operands to the
// schoolbook word rows. In any other radix the digit rows of
// kernels/digit_kernels.h.
#pragma once

#include <arkseal/bignum/kernels/word_kernels.h>

namespace arkseal {

// z[0..n+m) = x[0..n) * y[0..m), n, m >= 1. z must not overlap x or y.
void MultiplyWords(Word* z, const Word* x, int n, const Word* y, int m);
// z[0..2n) = x[0..n)^2, n >= 1. z must not overlap x.
void SquareWords(Word* z, const Word* x, int n);
// z[0..n+m) = x * y in the working base, n, m >= 1; z apart from x and y.
void DigitsMultiply(Word base, Word* z, const Word* x, int n, const Word* y, int m);
// z[0..2n) = x^2 in the working base, n >= 1; z apart from x.
void DigitsSquare(Word base, Word* z, const Word* x, int n);

}  // namespace arkseal
