/* Balanced products through the fixed-size Karatsuba routines.
 *
 * For operands of n and m words with size = 16 * 2^k the least such size
 * that holds both, zero-padding both to size words changes neither product
 * nor its low n + m words. The Karatsuba recursion costs 3^k products of 16
 * words (plus its additions, about a third more); the schoolbook product
 * costs n m / 256 of them. The padded route is taken only where it is the
 * cheaper, which for square operands is from 64 words up, and only where
 * the padding is short: with n m below 3/5 of size^2 the Karatsuba
 * products of any length (limb_karatsuba.h) were measured faster (equal at
 * 200 and 400 words, 0.71 times at 320). The schoolbook
 * square forms each cross product once and is cheaper than padding (at 320
 * words measured 0.85 times the padded 512-word square), so squares take the
 * route only at exactly 16 * 2^k words, from 64 up. Operands of exactly size
 * words are used in place; others are copied into stack buffers with their
 * padding.
 */
#include <arkseal/bignum/products/balanced_products.h>

#include <algorithm>

#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {
namespace {

constexpr int kLongest = 512;

// The padded size when the Karatsuba route pays, else 0.
int PaddedSize(int n, int m) {
    const int longest = std::max(n, m);
    if (longest > kLongest) return 0;
    int size = 16;
    long products = 1;
    while (size < longest) {
        size *= 2;
        products *= 3;
    }
    const long area = static_cast<long>(n) * m;
    return 4 * products * 256 < 3 * area && 5 * area >= 3 * static_cast<long>(size) * size ? size : 0;
}

// x padded to size words: x itself when it has size words, else a copy.
const std::uint32_t* Padded(const std::uint32_t* x, int n, int size, std::uint32_t* buffer) {
    if (n == size) return x;
    std::copy(x, x + n, buffer);
    std::fill(buffer + n, buffer + size, 0u);
    return buffer;
}

}  // namespace

bool MultiplyBalanced(std::uint32_t* z, const std::uint32_t* x, int n, const std::uint32_t* y, int m) {
    const int size = PaddedSize(n, m);
    if (size == 0) return false;
    std::uint32_t xs[kLongest], ys[kLongest], product[2 * kLongest], t[2 * kLongest];
    const bool direct = n + m == 2 * size;
    KaratsubaMultiply(direct ? z : product, Padded(x, n, size, xs), Padded(y, m, size, ys), size, t);
    if (!direct) std::copy(product, product + n + m, z);
    return true;
}

bool SquareBalanced(std::uint32_t* z, const std::uint32_t* x, int n) {
    if (n < 64 || n > kLongest || !IsFastMultiplySize(n)) return false;
    std::uint32_t t[2 * kLongest];
    KaratsubaSquare(z, x, n, t);
    return true;
}

}  // namespace arkseal
