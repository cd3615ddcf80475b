// Big-endian byte strings.
#include <algorithm>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/conversion/conversions.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Full words take the bytes directly, four to a word from the end.
void WordsFromBytes(int len, const std::uint8_t* bytes, BigNumber x) {
    while (len > 0 && bytes[0] == 0) {
        ++bytes;
        --len;
    }
    const int words = (len + 3) / 4;
    if (words > ResultLimit(Workspace())) {
        RaiseNumberError(kErrorOverflow);
        return;
    }
    BigZero(x);
    for (int i = 0; i < len; ++i) {
        x[1 + i / 4] |= static_cast<std::uint32_t>(bytes[len - 1 - i]) << (8 * (i % 4));
    }
    x[0] = static_cast<std::uint32_t>(words);
}

int BytesFromWords(int max, const std::uint32_t* x, std::uint8_t* bytes) {
    const int length = NumeratorLength(x);
    int count = 0;
    if (length > 0) {
        const std::uint32_t top = x[length];
        count = 4 * (length - 1) + (top >> 24 ? 4 : top >> 16 ? 3 : top >> 8 ? 2 : 1);
    }
    if (max > 0 && count > max) {
        RaiseNumberError(kErrorTooLong);
        return 0;
    }
    for (int i = 0; i < count; ++i) bytes[count - 1 - i] = static_cast<std::uint8_t>(x[1 + i / 4] >> (8 * (i % 4)));
    return count;
}

}  // namespace

void BigFromBytes(int len, const std::uint8_t* bytes, BigNumber x) {
    if (ErrorPending()) return;
    if (Workspace().base == 0) {
        WordsFromBytes(len, bytes, x);
        return;
    }
    BigZero(x);
    for (int i = 0; i < len && !ErrorPending(); ++i) {
        BigMultiplyInt(x, 256, x);
        BigAddInt(x, bytes[i], x);
    }
}

int BigToBytes(int max, const std::uint32_t* x, std::uint8_t* bytes) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (s.base == 0) return BytesFromWords(max, x, bytes);
    BigNumber rest = s.scratch[1];
    BigAbs(x, rest);
    int length = NumeratorLength(rest);
    int count = 0;
    // Bytes come out least significant first and are turned round at the end.
    while (length > 0) {
        if (max > 0 && count == max) {
            RaiseNumberError(kErrorTooLong);
            return 0;
        }
        bytes[count++] = static_cast<std::uint8_t>(DigitsDivideByWord(s.base, Digits(rest), Digits(rest), length, 256));
        length = StrippedLength(Digits(rest), length);
        rest[0] = static_cast<std::uint32_t>(length);
    }
    std::reverse(bytes, bytes + count);
    return count;
}

}  // namespace arkseal
