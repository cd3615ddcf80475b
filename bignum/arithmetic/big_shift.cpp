// Word and bit shifts, bit length and bit test.
#include <cstdint>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

bool HasPowerOfTwoBase(const NumberSystem& s) { return s.base == s.powerOfTwo; }

int TopWordBits(Word w) {
    int bits = 0;
    while (w != 0) {
        ++bits;
        w >>= 1;
    }
    return bits;
}

// Copies abs(x) into scratch 0 and divides it there by 2^bits (other bases:
// in steps of powerOfTwo); returns its length.
int ShiftDownInScratch(const std::uint32_t* x, std::int64_t bits) {
    NumberSystem& s = Workspace();
    BigNumber t = s.scratch[0];
    BigAbs(x, t);
    int length = NumeratorLength(t);
    for (; bits >= s.bitsPerWord && length > 0; bits -= s.bitsPerWord) {
        DigitsDivideByWord(s.base, Digits(t), Digits(t), length, s.powerOfTwo);
        length = StrippedLength(Digits(t), length);
    }
    if (bits > 0 && length > 0) {
        DigitsDivideByWord(s.base, Digits(t), Digits(t), length, 1u << bits);
        length = StrippedLength(Digits(t), length);
    }
    t[0] = static_cast<std::uint32_t>(length);
    return length;
}

}  // namespace

void BigShiftWords(const std::uint32_t* x, int n, BigNumber z) {
    if (ErrorPending()) return;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    const int length = NumeratorLength(x);
    const bool negative = IsNegative(x);
    const std::int64_t shift = n;
    if (length == 0 || -shift >= length) {
        BigZero(z);
        return;
    }
    const std::int64_t newLength = length + shift;
    if (newLength > ResultLimit(Workspace())) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    const int oldTotal = TotalLength(z);
    const int result = static_cast<int>(newLength);
    const std::uint32_t* from = Digits(x);
    Word* to = Digits(z);
    if (n >= 0) {
        for (int i = length - 1; i >= 0; --i) to[i + n] = from[i];
        for (int i = 0; i < n; ++i) to[i] = 0;
    } else {
        for (int i = 0; i < result; ++i) to[i] = from[i - n];
    }
    FinishInteger(z, oldTotal > length ? oldTotal : length, result, negative);
}

void BigShiftBits(const std::uint32_t* x, int n, BigNumber z) {
    if (ErrorPending()) return;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    NumberSystem& s = Workspace();
    const bool negative = IsNegative(x);
    const std::int64_t magnitude = n < 0 ? -static_cast<std::int64_t>(n) : n;
    if (IsZero(x) || (n < 0 && magnitude >= BigBitLength(x))) {
        BigZero(z);
        return;
    }
    if (!HasPowerOfTwoBase(s)) {
        BigNumber power = s.scratch[1];
        BigIntPower(2, static_cast<int>(magnitude), power);
        if (n >= 0) {
            MultiplyToFit(x, power, z);
        } else {
            BigAbs(x, z);
            BigDivide(z, power, z);
            BigSetSign(negative ? -1 : 1, z);
        }
        return;
    }
    const int words = static_cast<int>(magnitude / s.bitsPerWord);
    const unsigned bits = static_cast<unsigned>(magnitude % s.bitsPerWord);
    if (n >= 0) {
        if (BigBitLength(x) + magnitude > static_cast<std::int64_t>(ResultLimit(s)) * s.bitsPerWord) {
            RaiseNumberError(kErrorOverflow);
            return;
        }
        BigShiftWords(x, words, z);
        if (bits == 0) return;
        const int length = NumeratorLength(z);
        const Word carry = s.base == 0 ? ShiftLeftBits(Digits(z), Digits(z), length, bits)
                                       : DigitsMultiplyByWord(s.base, Digits(z), Digits(z), length, 1u << bits);
        if (carry != 0) {
            Digits(z)[length] = carry;
            FinishInteger(z, length + 1, length + 1, negative);
        }
    } else {
        BigShiftWords(x, -words, z);
        if (bits == 0) return;
        const int length = NumeratorLength(z);
        if (s.base == 0) {
            ShiftRightBits(Digits(z), Digits(z), length, bits);
        } else {
            DigitsDivideByWord(s.base, Digits(z), Digits(z), length, 1u << bits);
        }
        FinishInteger(z, length, length, negative);
    }
}

int BigBitLength(const std::uint32_t* x) {
    NumberSystem& s = Workspace();
    int length = NumeratorLength(x);
    if (length == 0) return 0;
    if (HasPowerOfTwoBase(s)) return s.bitsPerWord * (length - 1) + TopWordBits(x[length]);
    BigNumber t = s.scratch[0];
    BigAbs(x, t);
    int bits = 0;
    while (length > 1) {
        DigitsDivideByWord(s.base, Digits(t), Digits(t), length, s.powerOfTwo);
        length = StrippedLength(Digits(t), length);
        bits += s.bitsPerWord;
    }
    bits += TopWordBits(t[1]);
    t[0] = static_cast<std::uint32_t>(length);
    return bits;
}

int BigTestBit(const std::uint32_t* x, int n) {
    if (n < 0) return 0;
    NumberSystem& s = Workspace();
    if (HasPowerOfTwoBase(s)) {
        const int word = n / s.bitsPerWord + 1;
        if (word > NumeratorLength(x)) return 0;
        return static_cast<int>((x[word] >> (n % s.bitsPerWord)) & 1u);
    }
    // In other bases bit n is the parity of abs(x) / 2^n.
    const int length = ShiftDownInScratch(x, n);
    if (length == 0) return 0;
    return static_cast<int>(DigitsDivideByWord(s.base, nullptr, Digits(s.scratch[0]), length, 2));
}

}  // namespace arkseal
