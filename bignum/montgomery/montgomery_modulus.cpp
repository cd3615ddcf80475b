// The current modulus and conversion into and out of Montgomery form.
//
// Word-by-word reduction: for each of the L low digits t_i (i from 0),
// m = t_i (-n^-1) mod base makes t + m n base^i divisible by base^(i+1).
// After L steps t + M n is divisible by R = base^L and (t + M n) / R is
// congruent to t R^-1; for t < n R it is below 2n, so one subtraction of n
// finishes it. The carry out of each step's top digit is held as one extra
// bit and added with the next step's carry.
#include <cstdint>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>
#include <arkseal/bignum/products/fast_multiply.h>

namespace arkseal {

using namespace detail;

namespace {

// True when a modulus of this many words takes the fixed-size routines:
// full-word digits and 16 times a power of two words.
bool TakesFixedSizePath(const NumberSystem& s, int words) {
    if (s.base != 0 || words < 16 || words % 16 != 0) return false;
    const int blocks = words / 16;
    return (blocks & (blocks - 1)) == 0;
}

// b^-1 mod m by Euclid on words, or 0 when gcd(b, m) is not 1.
std::uint64_t WordInverse(std::uint64_t b, std::uint64_t m) {
    std::int64_t r0 = static_cast<std::int64_t>(m), r1 = static_cast<std::int64_t>(b % m);
    std::int64_t s0 = 0, s1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        std::int64_t t = r0 - q * r1;
        r0 = r1;
        r1 = t;
        t = s0 - q * s1;
        s0 = s1;
        s1 = t;
    }
    if (r0 != 1) return 0;
    return static_cast<std::uint64_t>(s0 < 0 ? s0 + static_cast<std::int64_t>(m) : s0);
}

// inverse = n^-1 mod 2^32 (one word) or mod R (fixed-size path, with the
// digits of scratch 0 as working space). Returns false when n has no inverse.
bool ComputeInverse(NumberSystem& s, const std::uint32_t* n, int words, bool fixedSize, BigNumber inverse) {
    BigZero(inverse);
    if (fixedSize) {
        BigNumber t = s.scratch[0];
        BigZero(t);
        FastMontgomeryInverse(Digits(inverse), Digits(n), words, Digits(t));
        ClearWordsAbove(t, 1, 2 * words);
        FinishInteger(inverse, words, words, false);
        return true;
    }
    const std::uint64_t radix = Radix(s.base);
    const std::uint64_t digitInverse = WordInverse(n[1], radix);
    if (digitInverse == 0) return false;
    inverse[1] = static_cast<std::uint32_t>(digitInverse);
    inverse[0] = 1;
    return true;
}

}  // namespace

std::uint32_t MontgomerySetModulus(const std::uint32_t* n) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (s.modulus != nullptr && BigCompare(s.modulus, n) == 0) return s.montgomeryFactor;
    if (IsFraction(n)) {
        RaiseNumberError(kErrorFraction);
        return 0;
    }
    if (IsNegative(n) || NumeratorLength(n) == 0 || (NumeratorLength(n) == 1 && n[1] <= 2)) {
        RaiseNumberError(kErrorBadModulus);
        return 0;
    }
    const int words = NumeratorLength(n);
    if (s.montgomeryInverse == nullptr) s.montgomeryInverse = NewBig(0);
    if (s.modulus == nullptr) s.modulus = NewBig(0);
    if (s.montgomeryInverse == nullptr || s.modulus == nullptr) return 0;
    const bool fixedSize = TakesFixedSizePath(s, words) && n[1] % 2 == 1;
    BigNumber inverse = s.scratch[17];
    if (!ComputeInverse(s, n, words, fixedSize, inverse)) {
        RaiseNumberError(kErrorBadModulus);
        return 0;
    }
    s.montgomeryMode = 1;
    s.fastReduction = fixedSize ? 1 : 0;
    BigCopy(inverse, s.montgomeryInverse);
    s.montgomeryFactor = s.base == 0 ? 0u - inverse[1] : s.base - inverse[1];
    BigCopy(n, s.modulus);
    return s.montgomeryFactor;
}

void ToMontgomery(const std::uint32_t* x, BigNumber y) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    BigNumber t = s.scratch[0];
    BigCopy(x, t);
    BigDivide(t, s.modulus, s.modulus);
    if (IsNegative(t)) BigAdd(t, s.modulus, t);
    {
        UncheckedScope unchecked;
        BigShiftWords(t, ModulusWords(s), t);
        BigDivide(t, s.modulus, s.modulus);
    }
    if (ErrorPending()) return;
    BigCopy(t, y);
}

void detail::ReduceInPlace(NumberSystem& s, BigNumber t) {
    const Word base = s.base;
    const int words = ModulusWords(s);
    const Word* n = Digits(s.modulus);
    Word* u = Digits(t);
    const int oldTotal = TotalLength(t);
    Word extra = 0;
    for (int i = 0; i < words; ++i) {
        const Word m = base == 0 ? u[i] * s.montgomeryFactor
                                 : static_cast<Word>(static_cast<WideWord>(u[i]) * s.montgomeryFactor % base);
        const Word carry = DigitsMultiplyAdd(base, u + i, n, words, m);
        const WideWord top = static_cast<WideWord>(u[i + words]) + carry + extra;
        if (base == 0) {
            u[i + words] = static_cast<Word>(top);
            extra = static_cast<Word>(top >> 32);
        } else {
            extra = top >= base ? 1 : 0;
            u[i + words] = static_cast<Word>(extra ? top - base : top);
        }
    }
    u[2 * words] = extra;
    for (int i = 0; i <= words; ++i) u[i] = u[i + words];
    ClearWordsAbove(t, words + 2, oldTotal > 2 * words + 1 ? oldTotal : 2 * words + 1);
    FinishInteger(t, words + 1, words + 1, false);
    if (BigCompare(t, s.modulus) >= 0) BigMagnitudeSubtract(t, s.modulus, t);
}

void FromMontgomery(const std::uint32_t* x, BigNumber y) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (IsFraction(x)) {
        RaiseNumberError(kErrorFraction);
        return;
    }
    BigNumber t = s.scratch[0];
    const bool negative = IsNegative(x);
    BigAbs(x, t);
    // Only values below n R reduce in one pass; a longer one is first brought
    // below n, which keeps the result x R^-1 mod n.
    if (NumeratorLength(t) > 2 * ModulusWords(s)) BigDivide(t, s.modulus, s.modulus);
    ReduceInPlace(s, t);
    if (negative && !IsZero(t)) BigMagnitudeSubtract(s.modulus, t, t);
    BigCopy(t, y);
}

}  // namespace arkseal
