// Random numbers below a bound and of a given number of digits, from the
// workspace's generator. Digits are appended above the ones drawn so far
// until the value reaches the bound, which is then reduced away; the slight
// bias this leaves is harmless for the sampling these serve.
#include <arkseal/bignum/primes/random_numbers.h>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>
#include <arkseal/bignum/workspace/random_words.h>

namespace arkseal {

using namespace detail;

void BigRandomBelow(const std::uint32_t* w, BigNumber x) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    BigNumber t = s.scratch[0];
    BigZero(t);
    if (IsFraction(w)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    if (IsNegative(w) || IsZero(w) || (NumeratorLength(w) == 1 && w[1] == 1)) {
        BigZero(x);
        return;
    }
    // The scratch number holds up to twice the capacity; a bound of at most
    // the capacity is passed long before that.
    Word* d = Digits(t);
    for (int count = 0; BigCompare(t, w) < 0 && count < 2 * s.wordCapacity; ++count) {
        const Word word = RandomWord();
        d[count] = s.base == 0 ? word : word % s.base;
        t[0] = static_cast<std::uint32_t>(StrippedLength(d, count + 1));
    }
    BigDivide(t, const_cast<BigNumber>(w), const_cast<BigNumber>(w));
    // A bound longer than the limit (a double-length one) can leave a value
    // that does not fit x.
    if (NumeratorLength(t) > ResultLimit(s)) {
        BigZero(t);
        RaiseNumberError(kErrorOverflow);
        return;
    }
    BigCopy(t, x);
}

void BigRandomDigits(int n, int b, BigNumber x) {
    if (ErrorPending()) return;
    if (b < 2 || b > 256) {
        RaiseNumberError(kErrorBadIoBase);
        return;
    }
    NumberSystem& s = Workspace();
    // b^n is a word longer than the capacity where the n-digit numbers just
    // fit (b^n = radix^capacity), so it is formed unchecked in a
    // double-length scratch number.
    BigNumber bound = s.scratch[5];
    BigNumber least = s.scratch[1];
    do {
        {
            UncheckedScope unchecked;
            BigIntPower(b, n, bound);
        }
        BigRandomBelow(bound, x);
        BigIntPower(b, n - 1, least);
    } while (!ErrorPending() && BigCompare(x, least) < 0);
    // Its upper half is the view scratch 8.
    BigZero(bound);
}

}  // namespace arkseal
