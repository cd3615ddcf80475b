#include <arkseal/bignum/products/digit_products.h>

#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/kernels/row_loops.h>
#include <arkseal/bignum/products/balanced_products.h>
#include <arkseal/bignum/products/limb_products.h>

namespace arkseal {

void MultiplyWords(Word* z, const Word* x, int n, const Word* y, int m) {
    if (MultiplyBalanced(z, x, n, y, m) || MultiplyWordsInLimbs(z, x, n, y, m)) return;
    rows::Multiply(z, x, n, y, m);
}

void SquareWords(Word* z, const Word* x, int n) {
    if (SquareBalanced(z, x, n) || SquareWordsInLimbs(z, x, n)) return;
    rows::Square(z, x, n);
}

void DigitsMultiply(Word base, Word* z, const Word* x, int n, const Word* y, int m) {
    if (base == 0) return MultiplyWords(z, x, n, y, m);
    z[m] = DigitsMultiplyByWord(base, z, y, m, x[0]);
    for (int i = 1; i < n; ++i) z[i + m] = DigitsMultiplyAdd(base, z + i, y, m, x[i]);
}

void DigitsSquare(Word base, Word* z, const Word* x, int n) {
    if (base == 0) return SquareWords(z, x, n);
    z[0] = 0;
    z[2 * n - 1] = 0;
    if (n > 1) {
        z[n] = DigitsMultiplyByWord(base, z + 1, x + 1, n - 1, x[0]);
        for (int i = 1; i < n - 1; ++i) z[n + i] = DigitsMultiplyAdd(base, z + 2 * i + 1, x + i + 1, n - i - 1, x[i]);
        z[2 * n - 1] = DigitsAdd(base, z + 1, z + 1, z + 1, 2 * n - 2);
    }
    WideWord c = 0;
    for (int i = 0; i < n; ++i) {
        WideWord t = static_cast<WideWord>(x[i]) * x[i] + z[2 * i] + c;
        z[2 * i] = static_cast<Word>(t % base);
        t = t / base + z[2 * i + 1];
        z[2 * i + 1] = static_cast<Word>(t % base);
        c = t / base;
    }
}

}  // namespace arkseal
