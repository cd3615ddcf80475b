// Rewriting a number from one digit base into the working base, and digit
// access in the apparent base.
#include <cstdint>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/conversion/radix_conversion.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Splits t into its low digit (returned) and the carry above it (left in t).
Word SplitDigit(Word base, WideWord& t) {
    if (base == 0) {
        const auto low = static_cast<Word>(t);
        t >>= 32;
        return low;
    }
    const auto low = static_cast<Word>(t % base);
    t /= base;
    return low;
}

// acc (length digits in the working base) += value, any 32-bit value.
bool AddValue(Word base, Word* acc, int& length, WideWord value, int limit) {
    for (int i = 0; value != 0; ++i) {
        if (i == length) {
            if (length == limit) return false;
            acc[length++] = 0;
        }
        value += acc[i];
        acc[i] = SplitDigit(base, value);
    }
    return true;
}

// acc = acc * m for any 32-bit m.
bool MultiplyValue(Word base, Word* acc, int& length, Word m, int limit) {
    WideWord carry = DigitsMultiplyByWord(base, acc, acc, length, m);
    while (carry != 0) {
        if (length == limit) return false;
        acc[length++] = SplitDigit(base, carry);
    }
    return true;
}

// Horner's rule over the source digits from the most significant: acc =
// acc * sourceBase + digit (base is never sourceBase here). Returns the
// length, or -1 past the limit.
int ConvertDigits(const Word* source, int n, Word sourceBase, Word base, Word* acc, int limit) {
    if (base == 0) {
        const int words = WordsFromDigits(acc, limit, source, n, sourceBase);
        if (words != -2) return words;
    }
    if (sourceBase == 0) {
        const int digits = DigitsFromWords(acc, limit, source, n, base);
        if (digits != -2) return digits;
    }
    int length = 0;
    if (sourceBase == 0) {
        // Full words: acc = acc * 2^32 + word in one pass.
        const WideWord radix = Radix(base);
        for (int i = n - 1; i >= 0; --i) {
            for (WideWord carry = DigitsShiftWordInto(base, acc, length, source[i]); carry != 0; carry /= radix) {
                if (length == limit) return -1;
                acc[length++] = static_cast<Word>(carry % radix);
            }
        }
        return length;
    }
    for (int i = n - 1; i >= 0; --i) {
        if (!MultiplyValue(base, acc, length, sourceBase, limit) || !AddValue(base, acc, length, source[i], limit)) {
            return -1;
        }
    }
    return length;
}

WideWord ApparentPower(const NumberSystem& s, int position) {
    WideWord p = 1;
    for (int i = 0; i < position; ++i) p *= s.apparentBase;
    return p;
}

}  // namespace

void BigChangeBase(const std::uint32_t* x, std::uint32_t sourceBase, BigNumber y) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    const int limit = ResultLimit(s);
    const int n = NumeratorLength(x);
    const int d = DenominatorLength(x);
    if (sourceBase == s.base) {
        // Nothing to convert, but y is held to the same limits as a result.
        if (n > limit || n + d > limit) {
            RaiseNumberError(n > limit ? kErrorOverflow : kErrorFractionTooLong);
            return;
        }
        BigCopy(x, y);
        return;
    }
    const bool negative = IsNegative(x);
    const int oldTotal = TotalLength(y);
    const int numerator = ConvertDigits(Digits(x), n, sourceBase, s.base, Digits(y), limit);
    if (numerator < 0) {
        // The digits written so far lie above y's length word: clear them.
        ClearWordsAbove(y, 0, limit);
        RaiseNumberError(kErrorOverflow);
        return;
    }
    int denominator = 0;
    if (d > 0) {
        BigNumber converted = s.scratch[6];
        BigZero(converted);
        denominator = ConvertDigits(Digits(x) + n, d, sourceBase, s.base, Digits(converted), limit);
        if (denominator < 0 || numerator + denominator > limit) {
            BigZero(converted);
            ClearWordsAbove(y, 0, limit);
            RaiseNumberError(denominator < 0 ? kErrorOverflow : kErrorFractionTooLong);
            return;
        }
        if (denominator == 1 && converted[1] == 1) denominator = 0;
        for (int i = 0; i < denominator; ++i) Digits(y)[numerator + i] = Digits(converted)[i];
        BigZero(converted);
    }
    const int total = numerator + denominator;
    ClearWordsAbove(y, total + 1, oldTotal);
    y[0] = static_cast<std::uint32_t>(numerator) | (static_cast<std::uint32_t>(denominator) << 16) |
           (negative && numerator > 0 ? kBigSignBit : 0u);
}

std::uint32_t BigGetDigit(const std::uint32_t* x, int i) {
    const NumberSystem& s = Workspace();
    if (i < 1) return 0;
    const int word = (i - 1) / s.digitsPerWord;
    if (word >= NumeratorLength(x)) return 0;
    const Word value = Digits(x)[word];
    if (s.apparentBase == 0) return value;
    return static_cast<std::uint32_t>(value / ApparentPower(s, (i - 1) % s.digitsPerWord) % s.apparentBase);
}

void BigSetDigit(BigNumber x, int i, std::uint32_t value) {
    if (ErrorPending() || i < 1) return;
    NumberSystem& s = Workspace();
    const int word = (i - 1) / s.digitsPerWord;
    if (word >= ResultLimit(s)) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    const std::uint32_t old = BigGetDigit(x, i);
    const Word scale = static_cast<Word>(ApparentPower(s, (i - 1) % s.digitsPerWord));
    Digits(x)[word] += (value - old) * scale;
    int length = NumeratorLength(x);
    if (word >= length) length = word + 1;
    x[0] = (x[0] & ~kBigLengthMask) | static_cast<std::uint32_t>(StrippedLength(Digits(x), length));
}

int BigDigitCount(const std::uint32_t* x) {
    const NumberSystem& s = Workspace();
    const int length = NumeratorLength(x);
    if (length == 0) return 0;
    int count = length * s.digitsPerWord;
    while (count > 0 && BigGetDigit(x, count) == 0) --count;
    return count;
}

}  // namespace arkseal
