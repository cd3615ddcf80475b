// Kernels on digit arrays in the working base. base 0 is radix 2^32 and goes
// to the word kernels; any other base B (2 <= B <= 2^31) is radix B, with
// every digit below B. Arrays are least significant digit first; aliasing as
// for the word kernels (word_kernels.h). Products of whole arrays are in
// products/digit_products.h.
#pragma once

#include <cstdint>

#include <arkseal/bignum/kernels/word_kernels.h>

namespace arkseal {

// z = x + y over n digits; returns the carry (0 or 1).
Word DigitsAdd(Word base, Word* z, const Word* x, const Word* y, int n);
// z = x + w over n digits, w a digit; returns the carry.
Word DigitsAddDigit(Word base, Word* z, const Word* x, int n, Word w);
// z = x - y over n digits; returns the borrow (0 or 1).
Word DigitsSubtract(Word base, Word* z, const Word* x, const Word* y, int n);
// z = x - w over n digits, w a digit; returns the borrow.
Word DigitsSubtractDigit(Word base, Word* z, const Word* x, int n, Word w);
// z = x * m over n digits for any 32-bit m; returns the carry, which may be
// one base or more when m is.
Word DigitsMultiplyByWord(Word base, Word* z, const Word* x, int n, Word m);
// z = z * 2^32 + w over n digits in a radix B != 2^32; returns the carry,
// which may need more than one digit (it stays below 2^34).
WideWord DigitsShiftWordInto(Word base, Word* z, int n, Word w);
// z += x * m over n digits, m a digit; returns the carry digit.
Word DigitsMultiplyAdd(Word base, Word* z, const Word* x, int n, Word m);
// z -= x * m over n digits, m a digit; returns the digit still to subtract.
Word DigitsMultiplySubtract(Word base, Word* z, const Word* x, int n, Word m);
// q = x / d over n digits for any 32-bit d != 0; returns the remainder. q may
// be x or null (remainder only).
Word DigitsDivideByWord(Word base, Word* q, const Word* x, int n, Word d);
// z = cx * x + cy * y over n digits for cx, cy < 2^30; returns the carry.
// z may be x or y.
Word DigitsCombineAdd(Word base, Word* z, const Word* x, Word cx, const Word* y, Word cy, int n);
// z = cx * x - cy * y over n digits for cx, cy < 2^30, when the difference is
// not negative and fits n digits. z may be x or y.
void DigitsCombineSubtract(Word base, Word* z, const Word* x, Word cx, const Word* y, Word cy, int n);

// The radix of a working base as a 64-bit value (2^32 for base 0).
inline WideWord Radix(Word base) { return base == 0 ? WideWord{1} << 32 : base; }

}  // namespace arkseal
