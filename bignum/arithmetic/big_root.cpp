// Integer n-th roots by Newton's iteration from above.
#include <cmath>
#include <cstdint>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// out = b^e for e >= 1 and b >= 2 by left-to-right binary powering, unless
// that exceeds bound: then false, with out somewhere above bound. The powers
// grow at every step, so none is formed once one is above bound, and no
// product is longer than twice the bound's length: with checking off (a
// double-length out) nothing overflows, whatever e is. out apart from b.
bool PowerWithin(const std::uint32_t* b, int e, const std::uint32_t* bound, BigNumber out) {
    int top = 0;
    while ((e >> (top + 1)) != 0) ++top;
    BigCopy(b, out);
    for (int i = top - 1; i >= 0; --i) {
        if (BigCompare(out, bound) > 0) return false;
        BigMultiply(out, out, out);
        if (BigCompare(out, bound) > 0) return false;
        if ((e >> i) & 1) BigMultiply(out, b, out);
    }
    return BigCompare(out, bound) <= 0;
}

// log2 of abs(x) > 0 to about 50 bits, from its top three digits.
double Log2Of(const std::uint32_t* x) {
    const NumberSystem& s = Workspace();
    const double radix = s.base == 0 ? 4294967296.0 : static_cast<double>(s.base);
    const int length = NumeratorLength(x);
    double top = 0;
    for (int i = length; i >= 1 && i > length - 3; --i) top = top * radix + x[i];
    const int below = length > 3 ? length - 3 : 0;
    return std::log2(top) + below * std::log2(radix);
}

// A start above the n-th root of a: the root's floating-point estimate
// raised by 2^-30 of itself (far beyond the estimate's error), as a 53-bit
// integer times a power of two.
// The scale 2^exponent is formed in scale.
void EstimateAbove(const std::uint32_t* a, int n, BigNumber start, BigNumber scale) {
    const double log2Root = Log2Of(a) / n;
    const int exponent = log2Root > 52 ? static_cast<int>(log2Root) - 52 : 0;
    const double mantissa = std::ceil(std::exp2(log2Root - exponent) * (1 + std::ldexp(1.0, -30))) + 1;
    const auto whole = static_cast<std::uint64_t>(mantissa);
    BigFromInt(static_cast<int>(whole >> 26), start);
    BigMultiplyInt(start, 1 << 26, start);
    BigAddInt(start, static_cast<int>(whole & ((1u << 26) - 1)), start);
    BigIntPower(2, exponent, scale);
    BigMultiply(start, scale, start);
}

}  // namespace

int BigRoot(const std::uint32_t* x, int n, BigNumber w) {
    if (ErrorPending()) return 0;
    if (n <= 0) {
        RaiseNumberError(kErrorBadRootOrder);
        return 0;
    }
    const bool negative = IsNegative(x);
    if (negative && n % 2 == 0) {
        RaiseNumberError(kErrorEvenRootOfNegative);
        return 0;
    }
    if (IsZero(x) || n == 1) {
        BigCopy(x, w);
        return 1;
    }
    const int bits = BigBitLength(x);
    if (n >= bits) {
        const bool exact = NumeratorLength(x) == 1 && x[1] == 1;
        BigFromInt(negative ? -1 : 1, w);
        return exact ? 1 : 0;
    }
    NumberSystem& s = Workspace();
    BigNumber a = s.scratch[1];
    BigNumber root = s.scratch[2];
    BigNumber next = s.scratch[3];
    BigNumber power = s.scratch[5];
    BigNumber quotient = s.scratch[6];
    BigAbs(x, a);
    // Newton's step root' = ((n - 1) root + a / root^(n-1)) / n decreases from
    // any start above the root until it reaches the truncated root. The start
    // is a close estimate when its n-th power shows it above a, else
    // 2^((bits - 1) / n + 1).
    EstimateAbove(a, n, root, power);
    bool startBelow;
    {
        UncheckedScope unchecked;
        startBelow = PowerWithin(root, n, a, power);
    }
    if (ErrorPending()) return 0;
    if (startBelow) BigIntPower(2, (bits - 1) / n + 1, root);
    bool exact = false;
    while (!ErrorPending()) {
        {
            UncheckedScope unchecked;
            if (PowerWithin(root, n - 1, a, power)) {
                BigCopy(a, quotient);
                BigDivide(quotient, power, quotient);
            } else {
                BigZero(quotient);
            }
        }
        BigMultiplyInt(root, n - 1, next);
        BigAdd(next, quotient, next);
        BigDivideInt(next, n, next);
        if (BigCompare(next, root) >= 0) break;
        BigCopy(next, root);
    }
    {
        UncheckedScope unchecked;
        exact = PowerWithin(root, n, a, power) && BigCompare(power, a) == 0;
    }
    if (ErrorPending()) return 0;
    BigCopy(root, w);
    BigSetSign(negative ? -1 : 1, w);
    return exact ? 1 : 0;
}

}  // namespace arkseal
