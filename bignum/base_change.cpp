// Rewriting a number from one digit base into the working base, and digit
// access in the apparent base.
#include <bit>
#include <cstdint>

#include "bignum/big_arithmetic.h"
#include "bignum/conversions.h"
#include "bignum/digit_kernels.h"
#include "bignum/number_internal.h"

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

// The longest result, in 64-bit limbs, that the full-word conversion below
// builds on the stack (twice the program's capacity fits).
constexpr int kLimbBuffer = 1024;

// Horner's rule into full words two source digits a step, on 64-bit limbs:
// acc = acc * s^2 + (d1 s + d0), where s^2 < 2^62 keeps each limb's product
// and carry within 128 bits. Returns the length in words, -1 past the limit,
// -2 (nothing done) when the limit is longer than the buffer.
#if defined(__SIZEOF_INT128__)
int ConvertIntoWordsByPairs(const Word* source, int n, Word s, Word* acc, int limit) {
    if (limit > 2 * kLimbBuffer) return -2;
    std::uint64_t limbs[kLimbBuffer];
    int count = 0;
    // limbs = limbs * m + addend; false when the buffer is full.
    auto step = [&](std::uint64_t m, std::uint64_t addend) {
        unsigned __int128 carry = addend;
        for (int j = 0; j < count; ++j) {
            const unsigned __int128 t = static_cast<unsigned __int128>(limbs[j]) * m + carry;
            limbs[j] = static_cast<std::uint64_t>(t);
            carry = t >> 64;
        }
        if (carry == 0) return true;
        if (count == kLimbBuffer) return false;
        limbs[count++] = static_cast<std::uint64_t>(carry);
        return true;
    };
    int i = n - 1;
    if (n % 2 == 1 && !step(s, source[i--])) return -1;
    const std::uint64_t square = static_cast<std::uint64_t>(s) * s;
    for (; i >= 1; i -= 2) {
        if (!step(square, static_cast<std::uint64_t>(source[i]) * s + source[i - 1])) return -1;
    }
    int words = 2 * count;
    auto word = [&](int k) { return static_cast<Word>(limbs[k / 2] >> (32 * (k % 2))); };
    while (words > 0 && word(words - 1) == 0) --words;
    if (words > limit) return -1;
    for (int k = 0; k < words; ++k) acc[k] = word(k);
    return words;
}

// floor((2^128 - 1) / d) - 2^64 for d with its top bit set: the reciprocal
// that DivideByReciprocal needs.
std::uint64_t Reciprocal(std::uint64_t d) {
    return static_cast<std::uint64_t>(~(static_cast<unsigned __int128>(d) << 64) / d);
}

// (high * 2^64 + low) / d for high < d, d's top bit set, from two products
// with d's reciprocal instead of a 128-bit division (Moller and Granlund,
// "Improved division by invariant integers", algorithm 4); the remainder
// goes to high.
std::uint64_t DivideByReciprocal(std::uint64_t& high, std::uint64_t low, std::uint64_t d, std::uint64_t reciprocal) {
    const unsigned __int128 estimate =
        static_cast<unsigned __int128>(reciprocal) * high + (static_cast<unsigned __int128>(high) << 64 | low);
    std::uint64_t q = static_cast<std::uint64_t>(estimate >> 64) + 1;
    std::uint64_t r = low - q * d;
    if (r > static_cast<std::uint64_t>(estimate)) {
        --q;
        r += d;
    }
    if (r >= d) {
        ++q;
        r -= d;
    }
    high = r;
    return q;
}

// Full words into the radix B (not 2^32) two digits a division: the number,
// as 64-bit limbs, is divided by B^2 (below 2^62) again and again, and each
// remainder gives the next two digits. The divisions run on the divisor and
// the dividend shifted up to the divisor's top bit, by its reciprocal.
// Returns the length, -1 past the limit, -2 (nothing done) when the source is
// longer than the buffer.
int ConvertFromWordsByPairs(const Word* source, int n, Word base, Word* acc, int limit) {
    if (n > 2 * kLimbBuffer) return -2;
    std::uint64_t limbs[kLimbBuffer];
    int count = (n + 1) / 2;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t high = 2 * i + 1 < n ? source[2 * i + 1] : 0;
        limbs[i] = source[2 * i] | high << 32;
    }
    while (count > 0 && limbs[count - 1] == 0) --count;
    const std::uint64_t divisor = static_cast<std::uint64_t>(base) * base;
    const int shift = std::countl_zero(divisor);  // 2 at least
    const std::uint64_t d = divisor << shift;
    const std::uint64_t reciprocal = Reciprocal(d);
    int length = 0;
    // Digits past the limit may only be leading zeros.
    auto put = [&](Word digit) {
        if (length < limit) {
            acc[length] = digit;
        } else if (digit != 0) {
            return false;
        }
        ++length;
        return true;
    };
    while (count > 0) {
        std::uint64_t r = limbs[count - 1] >> (64 - shift);
        for (int j = count - 1; j >= 0; --j) {
            const std::uint64_t below = j > 0 ? limbs[j - 1] >> (64 - shift) : 0;
            limbs[j] = DivideByReciprocal(r, limbs[j] << shift | below, d, reciprocal);
        }
        r >>= shift;
        if (!put(static_cast<Word>(r % base)) || !put(static_cast<Word>(r / base))) return -1;
        while (count > 0 && limbs[count - 1] == 0) --count;
    }
    return StrippedLength(acc, length < limit ? length : limit);
}
#else
int ConvertIntoWordsByPairs(const Word*, int, Word, Word*, int) { return -2; }
int ConvertFromWordsByPairs(const Word*, int, Word, Word*, int) { return -2; }
#endif

// Horner's rule over the source digits from the most significant: acc =
// acc * sourceBase + digit (base is never sourceBase here). Returns the
// length, or -1 past the limit.
int ConvertDigits(const Word* source, int n, Word sourceBase, Word base, Word* acc, int limit) {
    if (base == 0) {
        const int words = ConvertIntoWordsByPairs(source, n, sourceBase, acc, limit);
        if (words != -2) return words;
    }
    if (sourceBase == 0) {
        const int digits = ConvertFromWordsByPairs(source, n, base, acc, limit);
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
