// Products of numbers and of a number by a small int.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/products/digit_products.h>
#include <arkseal/bignum/products/limb_products.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Full-word operands up to this length go straight to the limb kernels: the
// general route's choices (digit base, Karatsuba or not, limbs or words) cost
// a third as much again as an 8-word product itself.
constexpr int kShortWords = 16;

// product = x * y over n + m digits in normal form; product apart from both.
// Inlined into BigMultiply: one call layer less on the short route.
[[gnu::always_inline]] inline void FormProduct(const NumberSystem& s, const std::uint32_t* x, const std::uint32_t* y,
                                               BigNumber product) {
    const int n = NumeratorLength(x);
    const int m = NumeratorLength(y);
    const int oldTotal = TotalLength(product);
    if (s.base == 0 && n <= kShortWords && m <= kShortWords) {
        if (x == y) {
            SquareWordsInLimbs(Digits(product), Digits(x), n);
        } else {
            MultiplyWordsInLimbs(Digits(product), Digits(x), n, Digits(y), m);
        }
    } else if (x == y) {
        DigitsSquare(s.base, Digits(product), Digits(x), n);
    } else if (n >= m) {
        DigitsMultiply(s.base, Digits(product), Digits(x), n, Digits(y), m);
    } else {
        DigitsMultiply(s.base, Digits(product), Digits(y), m, Digits(x), n);
    }
    FinishInteger(product, oldTotal, n + m, IsNegative(x) != IsNegative(y));
}

}  // namespace

void BigMultiply(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
    NumberSystem& s = Workspace();
    if (s.errorCode != 0) return;
    if (IsFraction(x) || IsFraction(y)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    const int n = NumeratorLength(x);
    const int m = NumeratorLength(y);
    if (n == 0 || m == 0) {
        BigZero(z);
        return;
    }
    if (n + m > ResultLimit(s)) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    // The product is formed apart from its operands: in z when z is neither,
    // else in scratch 0 and copied.
    BigNumber product = (z == x || z == y) ? s.scratch[0] : z;
    FormProduct(s, x, y, product);
    if (product != z) BigCopy(product, z);
}

void detail::MultiplyToFit(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    const int limit = ResultLimit(s);
    // Lengths within the limit, or two words beyond it, leave nothing to
    // measure.
    if (NumeratorLength(x) + NumeratorLength(y) != limit + 1 || IsFraction(x) || IsFraction(y)) {
        BigMultiply(x, y, z);
        return;
    }
    // Scratch 0 has room for 2 * capacity + 1 digits, the limit plus one.
    BigNumber product = s.scratch[0];
    FormProduct(s, x, y, product);
    if (NumeratorLength(product) > limit) {
        BigZero(product);
        RaiseNumberError(kErrorOverflow);
        return;
    }
    BigCopy(product, z);
}

void BigMultiplyInt(const std::uint32_t* x, int n, BigNumber z) {
    if (ErrorPending()) return;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    NumberSystem& s = Workspace();
    const int length = NumeratorLength(x);
    if (n == 0 || length == 0) {
        BigZero(z);
        return;
    }
    const std::uint32_t m = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    const int carryDigits = (s.base == 0 || m < s.base) ? 1 : 2;
    const int limit = ResultLimit(s);
    // Near the limit the product is formed in scratch 0 and measured first.
    BigNumber product = (length + carryDigits > limit && x != s.scratch[0]) ? s.scratch[0] : z;
    const int oldTotal = TotalLength(product);
    const bool negative = IsNegative(x) != (n < 0);
    Word carry = DigitsMultiplyByWord(s.base, Digits(product), Digits(x), length, m);
    int total = length;
    while (carry != 0) {
        Digits(product)[total++] = s.base == 0 ? carry : carry % s.base;
        carry = s.base == 0 ? 0 : carry / s.base;
    }
    FinishInteger(product, oldTotal, total, negative);
    if (product == z) return;
    if (total > limit) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    BigCopy(product, z);
}

}  // namespace arkseal
