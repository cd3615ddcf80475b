// Kernels on arrays of full 32-bit words (radix 2^32), least significant
// word first. Every loop carries through a 64-bit intermediate. Lengths are
// word counts >= 0. The aliasing each kernel allows is stated beside it.
#pragma once

#include <cstdint>

namespace arkseal {

using Word = std::uint32_t;
using WideWord = std::uint64_t;

// z = x + y over n words; returns the carry. z may be x or y.
Word AddWords(Word* z, const Word* x, const Word* y, int n);
// z = x + w over n words; returns the carry. z may be x.
Word AddWordTo(Word* z, const Word* x, int n, Word w);
// z = x - y over n words; returns the borrow. z may be x or y.
Word SubtractWords(Word* z, const Word* x, const Word* y, int n);
// z = x - w over n words; returns the borrow. z may be x.
Word SubtractWordFrom(Word* z, const Word* x, int n, Word w);
// z = x * m over n words; returns the high word. z may be x.
Word MultiplyByWord(Word* z, const Word* x, int n, Word m);
// z += x * m over n words; returns the high word. z must not overlap x
// unless z == x.
Word MultiplyAddWord(Word* z, const Word* x, int n, Word m);
// z -= x * m over n words; returns the word still to subtract above z[n-1].
Word MultiplySubtractWord(Word* z, const Word* x, int n, Word m);
// q = x / d over n words, d != 0; returns the remainder. q may be x or null.
Word DivideByWord(Word* q, const Word* x, int n, Word d);
// z = x << s over n words, 0 < s < 32; returns the bits shifted out. z may be
// x or start above it.
Word ShiftLeftBits(Word* z, const Word* x, int n, unsigned s);
// z = x >> s over n words, 0 < s < 32; returns the bits shifted out (in the
// top of the word). z may be x or start below it.
Word ShiftRightBits(Word* z, const Word* x, int n, unsigned s);
// -1, 0 or +1 for x < y, x = y, x > y over n words.
int CompareWords(const Word* x, const Word* y, int n);

}  // namespace arkseal
