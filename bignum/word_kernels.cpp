/* Word kernels in radix 2^32.
 *
 * With words below 2^32, a * b + c + d <= (2^32 - 1)^2 + 2 (2^32 - 1) = 2^64 - 1,
 * so one word product plus two words of carry always fits one 64-bit
 * intermediate: its low half is the result word, its high half the next
 * carry. Additions carry at most 1; subtractions borrow at most 1 (taken from
 * bit 63 of the wrapped 64-bit difference).
 *
 * Loops that run upward (add, subtract, multiply by word, right shift) read
 * x[i] before writing z[i], so z may be x. The left shift runs downward and
 * so allows z at or above x. Multiply and square accumulate rows into z and
 * need z apart from their operands.
 *
 * Squaring forms each cross product x_i x_j (i < j) once, doubles the sum
 * with a one-bit shift, and adds the diagonal squares x_i^2 at word 2i.
 *
 * Long balanced products and squares go to the Karatsuba recursion
 * (balanced_products.cpp), the rest to the 64-bit limb kernels
 * (limb_products.cpp) as far as their stack buffers reach; the word rows
 * below take only the operands longer than that.
 */
#include "bignum/word_kernels.h"

#include "bignum/balanced_products.h"
#include "bignum/limb_products.h"

namespace arkseal {

Word AddWords(Word* z, const Word* x, const Word* y, int n) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<WideWord>(x[i]) + y[i];
        z[i] = static_cast<Word>(c);
        c >>= 32;
    }
    return static_cast<Word>(c);
}

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

Word MultiplyByWord(Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<WideWord>(x[i]) * m;
        z[i] = static_cast<Word>(c);
        c >>= 32;
    }
    return static_cast<Word>(c);
}

Word MultiplyAddWord(Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<WideWord>(x[i]) * m + z[i];
        z[i] = static_cast<Word>(c);
        c >>= 32;
    }
    return static_cast<Word>(c);
}

Word MultiplySubtractWord(Word* z, const Word* x, int n, Word m) {
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<WideWord>(x[i]) * m;
        const Word low = static_cast<Word>(c);
        c >>= 32;
        if (z[i] < low) ++c;
        z[i] -= low;
    }
    return static_cast<Word>(c);
}

void MultiplyWords(Word* z, const Word* x, int n, const Word* y, int m) {
    if (MultiplyBalanced(z, x, n, y, m) || MultiplyWordsInLimbs(z, x, n, y, m)) return;
    z[m] = MultiplyByWord(z, y, m, x[0]);
    for (int i = 1; i < n; ++i) z[i + m] = MultiplyAddWord(z + i, y, m, x[i]);
}

void SquareWords(Word* z, const Word* x, int n) {
    if (SquareBalanced(z, x, n) || SquareWordsInLimbs(z, x, n)) return;
    z[0] = 0;
    z[2 * n - 1] = 0;
    if (n > 1) {
        z[n] = MultiplyByWord(z + 1, x + 1, n - 1, x[0]);
        for (int i = 1; i < n - 1; ++i) z[n + i] = MultiplyAddWord(z + 2 * i + 1, x + i + 1, n - i - 1, x[i]);
        z[2 * n - 1] = ShiftLeftBits(z + 1, z + 1, 2 * n - 2, 1);
    }
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        c += static_cast<WideWord>(x[i]) * x[i] + z[2 * i];
        z[2 * i] = static_cast<Word>(c);
        c >>= 32;
        c += z[2 * i + 1];
        z[2 * i + 1] = static_cast<Word>(c);
        c >>= 32;
    }
}

Word DivideByWord(Word* q, const Word* x, int n, Word d) {
    WideWord r = 0;
    for (int i = n - 1; i >= 0; --i) {
        const WideWord t = (r << 32) | x[i];
        if (q != nullptr) q[i] = static_cast<Word>(t / d);
        r = t % d;
    }
    return static_cast<Word>(r);
}

Word ShiftLeftBits(Word* z, const Word* x, int n, unsigned s) {
    if (n == 0) return 0;
    const Word out = x[n - 1] >> (32 - s);
    for (int i = n - 1; i > 0; --i) z[i] = (x[i] << s) | (x[i - 1] >> (32 - s));
    z[0] = x[0] << s;
    return out;
}

Word ShiftRightBits(Word* z, const Word* x, int n, unsigned s) {
    if (n == 0) return 0;
    const Word out = x[0] << (32 - s);
    for (int i = 0; i < n - 1; ++i) z[i] = (x[i] >> s) | (x[i + 1] << (32 - s));
    z[n - 1] = x[n - 1] >> s;
    return out;
}

int CompareWords(const Word* x, const Word* y, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace arkseal
