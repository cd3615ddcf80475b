/* Word kernels in radix 2^32.
 *
 * The row loops shared with the 64-bit limb kernels (add, multiply by a
 * word, multiply-add, multiply-subtract, shifts, schoolbook product and
 * square) are the digit-width templates of row_loops.h, which derives their
 * bounds; the loops below are the word-only ones. A 64-bit intermediate
 * holds a word plus a carry; subtractions borrow at most 1 (taken from bit
 * 63 of the wrapped 64-bit difference).
 *
 * The products of whole arrays, which choose between Karatsuba, the limb
 * products and the schoolbook rows, are in products/digit_products.cpp.
 */
#include <arkseal/bignum/kernels/word_kernels.h>

#include <arkseal/bignum/kernels/row_loops.h>

namespace arkseal {

Word AddWords(Word* z, const Word* x, const Word* y, int n) { return rows::Add(z, x, y, n); }

Word AddWordTo(Word* z, const Word* x, int n, Word w) {
    WideWord c = w;
    for (int i = 0; i < n; ++i) {
        c += x[i];
        z[i] = static_cast<Word>(c);
        c >>= 32;
    }
    return static_cast<Word>(c);
}

Word SubtractWords(Word* z, const Word* x, const Word* y, int n) {
    WideWord b = 0;
    for (int i = 0; i < n; ++i) {
        const WideWord d = static_cast<WideWord>(x[i]) - y[i] - b;
        z[i] = static_cast<Word>(d);
        b = d >> 63;
    }
    return static_cast<Word>(b);
}

Word SubtractWordFrom(Word* z, const Word* x, int n, Word w) {
    WideWord b = w;
    for (int i = 0; i < n; ++i) {
        const WideWord d = static_cast<WideWord>(x[i]) - b;
        z[i] = static_cast<Word>(d);
        b = d >> 63;
    }
    return static_cast<Word>(b);
}

Word MultiplyByWord(Word* z, const Word* x, int n, Word m) { return rows::MultiplyByDigit(z, x, n, m); }

Word MultiplyAddWord(Word* z, const Word* x, int n, Word m) { return rows::MultiplyAddDigit(z, x, n, m); }

Word MultiplySubtractWord(Word* z, const Word* x, int n, Word m) { return rows::MultiplySubtractDigit(z, x, n, m); }

Word DivideByWord(Word* q, const Word* x, int n, Word d) {
    WideWord r = 0;
    for (int i = n - 1; i >= 0; --i) {
        const WideWord t = (r << 32) | x[i];
        if (q != nullptr) q[i] = static_cast<Word>(t / d);
        r = t % d;
    }
    return static_cast<Word>(r);
}

Word ShiftLeftBits(Word* z, const Word* x, int n, unsigned s) { return rows::ShiftLeft(z, x, n, s); }

Word ShiftRightBits(Word* z, const Word* x, int n, unsigned s) { return rows::ShiftRight(z, x, n, s); }

int CompareWords(const Word* x, const Word* y, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace arkseal
