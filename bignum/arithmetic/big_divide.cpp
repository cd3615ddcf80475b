// Division: by a single word, by a number (Knuth's algorithm D with quick
// paths), and the fused multiply-add-divide.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/division/limb_division.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Sets the remainder held in the low `length` digits of r, clearing the digits
// up to `oldLength` that the division left zero or no longer needs.
void SetRemainderLength(BigNumber r, int length, int oldLength) { FinishInteger(r, oldLength, length, false); }

// Schoolbook long division of the normalised remainder u (lx + 1 digits) by
// the normalised divisor v (ly >= 2 digits). Leaves the remainder in
// u[0..ly) and zeros above; stores the lx - ly + 1 quotient digits in q when
// q is not null.
void DivideNormalised(Word base, Word* u, int lx, const Word* v, int ly, Word* q) {
    const WideWord radix = Radix(base);
    const Word v1 = v[ly - 1];
    const Word v2 = v[ly - 2];
    for (int j = lx - ly; j >= 0; --j) {
        const Word top = u[j + ly];
        WideWord qhat;
        WideWord rhat;
        if (top == v1) {
            qhat = radix - 1;
            rhat = static_cast<WideWord>(u[j + ly - 1]) + v1;
        } else {
            const WideWord numerator = top * radix + u[j + ly - 1];
            qhat = numerator / v1;
            rhat = numerator % v1;
        }
        while (rhat < radix && qhat * v2 > rhat * radix + u[j + ly - 2]) {
            --qhat;
            rhat += v1;
        }
        const Word borrow = DigitsMultiplySubtract(base, u + j, v, ly, static_cast<Word>(qhat));
        if (borrow > top) {
            DigitsAdd(base, u + j, u + j, v, ly);
            --qhat;
        }
        u[j + ly] = 0;
        if (q != nullptr) q[j] = static_cast<Word>(qhat);
    }
}

// Divides the magnitude held in rem (sign clear, with room for a digit above
// its length) by abs(y) in place: rem becomes the remainder, the quotient's
// magnitude goes to quotient unless it is null. Error 3, with nothing but rem
// read, when the quotient would be longer than quotientLimit. y's digits are
// scaled during the call and restored.
bool DivideMagnitudeInPlace(BigNumber rem, BigNumber y, BigNumber quotient, int quotientLimit) {
    const NumberSystem& s = Workspace();
    const Word base = s.base;
    const int lx = NumeratorLength(rem);
    const int ly = NumeratorLength(y);
    Word* u = Digits(rem);
    Word* v = Digits(y);
    if (lx < ly || (lx == ly && CompareWords(u, v, lx) < 0)) {
        if (quotient != nullptr) BigZero(quotient);
        return true;
    }
    // The quotient has lx - ly + 1 digits, one fewer when the top ly digits of
    // the dividend are below the divisor. Only that many are written: the
    // quotient's block may have room for no more.
    const bool topDigitZero = CompareWords(u + lx - ly, v, ly) < 0;
    const int quotientLength = topDigitZero ? lx - ly : lx - ly + 1;
    if (quotient != nullptr && quotientLength > quotientLimit) {
        RaiseNumberError(kErrorOverflow);
        return false;
    }
    const int oldQuotient = quotient != nullptr ? TotalLength(quotient) : 0;
    Word* q = quotient != nullptr ? Digits(quotient) : nullptr;
    if (ly == 1) {
        // In place, then copied out: the dividend's top digit may give a zero
        // quotient digit that has no room in q.
        const Word r = DigitsDivideByWord(base, u, u, lx, v[0]);
        for (int i = 0; q != nullptr && i < quotientLength; ++i) q[i] = u[i];
        u[0] = r;
        SetRemainderLength(rem, 1, lx);
    } else if (lx == ly && u[lx - 1] / 4 < v[ly - 1]) {
        Word count = 0;
        while (CompareWords(u, v, ly) >= 0) {
            DigitsSubtract(base, u, u, v, ly);
            ++count;
        }
        if (q != nullptr) q[0] = count;
        SetRemainderLength(rem, ly, lx);
    } else if (base == 0 && DivideWordsInLimbs(u, lx, v, ly, q, quotientLength)) {
        SetRemainderLength(rem, ly, lx + 1);
    } else {
        const Word k = static_cast<Word>(Radix(base) / (static_cast<WideWord>(v[ly - 1]) + 1));
        u[lx] = k > 1 ? DigitsMultiplyByWord(base, u, u, lx, k) : 0;
        if (k > 1) DigitsMultiplyByWord(base, v, v, ly, k);
        // With a zero top quotient digit the normalised dividend's extra top
        // digit is zero too, and the division starts one position lower.
        DivideNormalised(base, u, topDigitZero ? lx - 1 : lx, v, ly, q);
        if (k > 1) {
            DigitsDivideByWord(base, u, u, ly, k);
            DigitsDivideByWord(base, v, v, ly, k);
        }
        SetRemainderLength(rem, ly, lx + 1);
    }
    if (quotient != nullptr) FinishInteger(quotient, oldQuotient, quotientLength, false);
    return true;
}

std::uint32_t Magnitude(int n) { return n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n); }

}  // namespace

void BigDivide(BigNumber x, BigNumber y, BigNumber z) {
    if (ErrorPending()) return;
    if (x == y) {
        RaiseNumberError(kErrorSameArgument);
        return;
    }
    if (IsFraction(x) || IsFraction(y)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    if (IsZero(y)) {
        RaiseNumberError(kErrorDivisionByZero);
        return;
    }
    NumberSystem& s = Workspace();
    const bool xNegative = IsNegative(x);
    const bool quotientNegative = xNegative != IsNegative(y);
    // The remainder is formed in x itself when x keeps it and has room for
    // the division's extra top digit, else in scratch 0.
    const bool inPlace = z != x && NumeratorLength(x) < s.wordCapacity;
    BigNumber rem = inPlace ? x : s.scratch[0];
    BigAbs(x, rem);
    BigNumber quotient = z != y ? z : nullptr;
    if (!DivideMagnitudeInPlace(rem, y, quotient, ResultLimit(s))) {
        if (inPlace) BigSetSign(xNegative ? -1 : 1, x);
        return;
    }
    if (quotient != nullptr) BigSetSign(quotientNegative ? -1 : 1, quotient);
    if (z != x) {
        BigCopy(rem, x);
        BigSetSign(xNegative ? -1 : 1, x);
    }
}

int BigDivideInt(const std::uint32_t* x, int n, BigNumber z) {
    if (ErrorPending()) return 0;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return 0;
    }
    if (n == 0) {
        RaiseNumberError(kErrorDivisionByZero);
        return 0;
    }
    const bool xNegative = IsNegative(x);
    if (n == 1) {
        BigCopy(x, z);
        return 0;
    }
    const NumberSystem& s = Workspace();
    const int length = NumeratorLength(x);
    const int oldTotal = TotalLength(z);
    const Word r = DigitsDivideByWord(s.base, Digits(z), Digits(x), length, Magnitude(n));
    FinishInteger(z, oldTotal > length ? oldTotal : length, length, xNegative != (n < 0));
    return xNegative ? -static_cast<int>(r) : static_cast<int>(r);
}

int BigRemainderInt(const std::uint32_t* x, int n) {
    if (ErrorPending()) return 0;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return 0;
    }
    if (n == 0) {
        RaiseNumberError(kErrorDivisionByZero);
        return 0;
    }
    const NumberSystem& s = Workspace();
    const int length = NumeratorLength(x);
    Word r;
    if (length == 0) {
        r = 0;
    } else if ((n == 2 || n == -2) && s.base % 2 == 0) {
        r = x[1] & 1u;
    } else {
        r = DigitsDivideByWord(s.base, nullptr, Digits(x), length, Magnitude(n));
    }
    return IsNegative(x) ? -static_cast<int>(r) : static_cast<int>(r);
}

int BigIsDivisibleInt(const std::uint32_t* x, int n) { return BigRemainderInt(x, n) == 0 ? 1 : 0; }

void BigMultiplyAddDivide(const std::uint32_t* x, const std::uint32_t* y, const std::uint32_t* z, BigNumber w,
                          BigNumber q, BigNumber r) {
    if (ErrorPending()) return;
    if (w == r) {
        RaiseNumberError(kErrorSameArgument);
        return;
    }
    if (IsFraction(w)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    if (IsZero(w)) {
        RaiseNumberError(kErrorDivisionByZero);
        return;
    }
    NumberSystem& s = Workspace();
    BigNumber sum = s.scratch[0];
    // The quotient lands in a caller's number, so it is held to the limit in
    // force on entry; only the product and sum may be double length.
    const int quotientLimit = ResultLimit(s);
    {
        UncheckedScope unchecked;
        BigMultiply(x, y, sum);
        if (z != x && z != y) BigAdd(sum, z, sum);
    }
    if (ErrorPending()) return;
    const bool negative = IsNegative(sum);
    sum[0] &= ~kBigSignBit;
    BigNumber quotient = q != w ? q : nullptr;
    if (!DivideMagnitudeInPlace(sum, w, quotient, quotientLimit)) return;
    if (quotient != nullptr) BigSetSign(negative != IsNegative(w) ? -1 : 1, quotient);
    if (q != r) {
        BigCopy(sum, r);
        BigSetSign(negative ? -1 : 1, r);
    }
}

}  // namespace arkseal
