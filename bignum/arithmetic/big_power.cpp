// Integer powers and powers modulo a number with a small exponent.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

int TopBitIndex(unsigned n) {
    int i = -1;
    while (n != 0) {
        ++i;
        n >>= 1;
    }
    return i;
}

}  // namespace

void BigIntPower(int b, int n, BigNumber x) {
    if (ErrorPending()) return;
    if (n < 0) {
        RaiseNumberError(kErrorNegativeExponent);
        return;
    }
    NumberSystem& s = Workspace();
    if (n == 0) {
        BigFromInt(1, x);
        return;
    }
    if (b == 2 && s.base == s.powerOfTwo) {
        const int words = n / s.bitsPerWord;
        if (words + 1 > ResultLimit(s)) {
            RaiseNumberError(kErrorOverflow);
            return;
        }
        BigZero(x);
        x[words + 1] = 1u << (n % s.bitsPerWord);
        x[0] = static_cast<std::uint32_t>(words + 1);
        return;
    }
    if (b == 2) {
        BigFromInt(1, x);
        for (int i = 0; i < n / s.bitsPerWord && !ErrorPending(); ++i) {
            BigMultiplyInt(x, static_cast<int>(s.powerOfTwo), x);
        }
        BigMultiplyInt(x, 1 << (n % s.bitsPerWord), x);
        return;
    }
    BigFromInt(b, x);
    for (int i = TopBitIndex(static_cast<unsigned>(n)) - 1; i >= 0; --i) {
        MultiplyToFit(x, x, x);
        if ((n >> i) & 1) BigMultiplyInt(x, b, x);
    }
}

void BigPowerModInt(const std::uint32_t* x, int n, BigNumber z, BigNumber w) {
    if (ErrorPending()) return;
    if (n < 0) {
        RaiseNumberError(kErrorNegativeExponent);
        return;
    }
    NumberSystem& s = Workspace();
    BigNumber power = s.scratch[5];
    BigCopy(x, power);
    if (z == w) {
        // No modulus: w = x^n by left-to-right binary powering.
        BigFromInt(1, w);
        if (n == 0) return;
        BigCopy(power, w);
        for (int i = TopBitIndex(static_cast<unsigned>(n)) - 1; i >= 0; --i) {
            MultiplyToFit(w, w, w);
            if ((n >> i) & 1) MultiplyToFit(w, power, w);
            ReportProgress(s);
        }
        return;
    }
    BigDivide(power, z, z);
    if (ErrorPending()) return;
    BigFromInt(IsZero(power) && n != 0 ? 0 : 1, w);
    // Right to left: multiply in the current power where n has a 1, square it.
    for (unsigned e = static_cast<unsigned>(n); e != 0 && !IsZero(w); e >>= 1) {
        if (e & 1u) BigMultiplyAddDivide(w, power, w, z, z, w);
        if (e > 1) BigMultiplyAddDivide(power, power, power, z, z, power);
        ReportProgress(s);
    }
    BigDivide(w, z, z);
}

}  // namespace arkseal
