// Signed and magnitude addition and subtraction.
#include <utility>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

int CompareMagnitudes(const std::uint32_t* x, const std::uint32_t* y) {
    const int nx = NumeratorLength(x);
    const int ny = NumeratorLength(y);
    if (nx != ny) return nx < ny ? -1 : 1;
    return CompareWords(Digits(x), Digits(y), nx);
}

// True when a + b (n and m digits, n >= m) needs more than n digits: some
// digit of a exceeds radix - 1 - the digit of b, looking from the top.
bool SumCarriesOut(Word base, const Word* a, int n, const Word* b, int m) {
    const Word top = base == 0 ? 0xFFFFFFFFu : base - 1;
    for (int i = n - 1; i >= 0; --i) {
        const Word room = top - (i < m ? b[i] : 0);
        if (a[i] != room) return a[i] > room;
    }
    return false;
}

// z = |x| + |y| with the given sign; error 3 (nothing written) when the sum is
// longer than the active limit.
void AddMagnitudes(const std::uint32_t* x, const std::uint32_t* y, BigNumber z, bool negative) {
    NumberSystem& s = Workspace();
    if (NumeratorLength(x) < NumeratorLength(y)) std::swap(x, y);
    const int n = NumeratorLength(x);
    const int m = NumeratorLength(y);
    const int limit = ResultLimit(s);
    if (n > limit || (n == limit && SumCarriesOut(s.base, Digits(x), n, Digits(y), m))) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    const int oldTotal = TotalLength(z);
    Word carry = DigitsAdd(s.base, Digits(z), Digits(x), Digits(y), m);
    carry = DigitsAddDigit(s.base, Digits(z) + m, Digits(x) + m, n - m, carry);
    if (carry != 0) Digits(z)[n] = carry;
    FinishInteger(z, oldTotal, carry != 0 ? n + 1 : n, negative);
}

// z = |x| - |y| for |x| >= |y|, with the given sign.
void SubtractMagnitudes(const std::uint32_t* x, const std::uint32_t* y, BigNumber z, bool negative) {
    const NumberSystem& s = Workspace();
    const int n = NumeratorLength(x);
    const int m = NumeratorLength(y);
    const int oldTotal = TotalLength(z);
    const Word borrow = DigitsSubtract(s.base, Digits(z), Digits(x), Digits(y), m);
    DigitsSubtractDigit(s.base, Digits(z) + m, Digits(x) + m, n - m, borrow);
    FinishInteger(z, oldTotal, n, negative);
}

// z = x + d * y for d = +1 or -1.
void AddSigned(const std::uint32_t* x, int d, const std::uint32_t* y, BigNumber z) {
    if (ErrorPending()) return;
    if (IsFraction(x) || IsFraction(y)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    const bool xNegative = IsNegative(x);
    const bool yNegative = IsNegative(y) != (d < 0) && !IsZero(y);
    if (xNegative == yNegative) {
        AddMagnitudes(x, y, z, xNegative);
    } else if (CompareMagnitudes(x, y) >= 0) {
        SubtractMagnitudes(x, y, z, xNegative);
    } else {
        SubtractMagnitudes(y, x, z, yNegative);
    }
}

}  // namespace

void BigAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) { AddSigned(x, 1, y, z); }

void BigSubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) { AddSigned(x, -1, y, z); }

void BigAddInt(const std::uint32_t* x, int n, BigNumber z) {
    std::uint32_t small[3] = {0, 0, 0};
    BigFromInt(n, small);
    AddSigned(x, 1, small, z);
}

void BigSubtractInt(const std::uint32_t* x, int n, BigNumber z) {
    std::uint32_t small[3] = {0, 0, 0};
    BigFromInt(n, small);
    AddSigned(x, -1, small, z);
}

void BigMagnitudeAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) { AddMagnitudes(x, y, z, false); }

void BigMagnitudeSubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
    if (CompareMagnitudes(x, y) < 0) {
        RaiseNumberError(kErrorNegativeMagnitude);
        return;
    }
    SubtractMagnitudes(x, y, z, false);
}

}  // namespace arkseal
