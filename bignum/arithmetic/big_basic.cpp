// Sign, copy, small-integer conversion and comparison.
#include <cstdlib>
#include <cstring>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

int BigToInt(const std::uint32_t* x) {
    const int length = NumeratorLength(x);
    if (length == 0) return 0;
    const int sign = IsNegative(x) ? -1 : 1;
    // In a base below 2^30 a value under the marker may take two digits.
    const NumberSystem* s = CurrentNumberSystem();
    const std::uint32_t base = s != nullptr ? s->base : 0;
    WideWord value = x[length];
    if (length == 2 && base != 0) value = value * base + x[1];
    if (length <= (base != 0 ? 2 : 1) && value < static_cast<WideWord>(kBigIntMarker)) {
        return sign * static_cast<int>(value);
    }
    return sign * kBigIntMarker;
}

void BigCopy(const std::uint32_t* x, BigNumber y) {
    if (x == y) return;
    if (x == nullptr) {
        BigZero(y);
        return;
    }
    const int total = TotalLength(x);
    ClearWordsAbove(y, total + 1, TotalLength(y));
    // A scratch number's upper-half view lies inside it: the blocks may meet.
    std::memmove(y, x, (static_cast<std::size_t>(total) + 1) * sizeof *y);
}

void BigNegate(const std::uint32_t* x, BigNumber y) {
    BigCopy(x, y);
    if (!IsZero(y)) y[0] ^= kBigSignBit;
}

void BigAbs(const std::uint32_t* x, BigNumber y) {
    BigCopy(x, y);
    y[0] &= ~kBigSignBit;
}

int BigSign(const std::uint32_t* x) { return IsNegative(x) ? -1 : 1; }

std::uint32_t BigSetSign(int s, BigNumber x) {
    x[0] &= ~kBigSignBit;
    if (s < 0 && !IsZero(x)) x[0] |= kBigSignBit;
    return x[0];
}

int BigCompare(const std::uint32_t* x, const std::uint32_t* y) {
    const bool xNegative = IsNegative(x);
    if (xNegative != IsNegative(y)) return xNegative ? -1 : 1;
    const int nx = NumeratorLength(x);
    const int ny = NumeratorLength(y);
    int magnitudeOrder = nx == ny ? CompareWords(Digits(x), Digits(y), nx) : (nx < ny ? -1 : 1);
    return xNegative ? -magnitudeOrder : magnitudeOrder;
}

std::uint32_t WordMultiplyDivide(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t m,
                                 std::uint32_t* remainder) {
    const WideWord t = static_cast<WideWord>(a) * b + c;
    *remainder = static_cast<std::uint32_t>(t % m);
    return static_cast<std::uint32_t>(t / m);
}

std::uint32_t WordShiftDivide(std::uint32_t a, std::uint32_t c, std::uint32_t m, std::uint32_t* remainder) {
    const WideWord t = (static_cast<WideWord>(a) << 32) | c;
    *remainder = static_cast<std::uint32_t>(t % m);
    return static_cast<std::uint32_t>(t / m);
}

std::uint32_t WordMultiplyAdd(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t* low) {
    const WideWord t = static_cast<WideWord>(a) * b + c;
    *low = static_cast<std::uint32_t>(t);
    return static_cast<std::uint32_t>(t >> 32);
}

std::uint32_t WordMultiplyAdd2(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t* low) {
    const WideWord t = static_cast<WideWord>(a) * b + c + d;
    *low = static_cast<std::uint32_t>(t);
    return static_cast<std::uint32_t>(t >> 32);
}

}  // namespace arkseal
