// Sum, difference, negation and small multiples of residues. These need no
// Montgomery reduction, so they hold for residues in either form.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// w = |x| + |y|, less n once when that is not below n; false (nothing
// written) unless both have at most L = len(n) digits. The sum is kept to L
// digits and its carry, so that a modulus as long as the capacity needs no
// longer number: x + y - n is below x and below y, and only unreduced
// operands can leave L + 1 digits.
bool AddWithinModulus(const NumberSystem& s, const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    const int words = ModulusWords(s);
    if (NumeratorLength(x) > words || NumeratorLength(y) > words) return false;
    const int oldTotal = TotalLength(w);
    Word* sum = Digits(w);
    const Word carry = DigitsAdd(s.base, sum, Digits(x), Digits(y), words);
    int length = words;
    if (carry != 0) {
        if (DigitsSubtract(s.base, sum, sum, Digits(s.modulus), words) == 0) {
            if (words + 1 > ResultLimit(s)) {
                FinishInteger(w, oldTotal > words ? oldTotal : words, words, false);
                RaiseNumberError(kErrorOverflow);
                return true;
            }
            sum[length++] = 1;
        }
    } else if (CompareWords(sum, Digits(s.modulus), words) >= 0) {
        DigitsSubtract(s.base, sum, sum, Digits(s.modulus), words);
    }
    FinishInteger(w, oldTotal > length ? oldTotal : length, length, false);
    return true;
}

}  // namespace

void MontgomeryAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    if (ErrorPending()) return;
    const NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (AddWithinModulus(s, x, y, w)) return;
    BigMagnitudeAdd(x, y, w);
    if (BigCompare(w, s.modulus) >= 0) BigMagnitudeSubtract(w, s.modulus, w);
}

void MontgomerySubtract(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    if (ErrorPending()) return;
    const NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (BigCompare(x, y) < 0) {
        BigMagnitudeSubtract(y, x, w);
        BigMagnitudeSubtract(s.modulus, w, w);
    } else {
        BigMagnitudeSubtract(x, y, w);
    }
}

void MontgomeryNegate(const std::uint32_t* x, BigNumber w) {
    if (ErrorPending()) return;
    const NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (IsZero(x)) {
        BigZero(w);
    } else {
        BigMagnitudeSubtract(s.modulus, x, w);
    }
}

void MontgomeryMultiplyInt(const std::uint32_t* x, int k, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    BigNumber t = s.scratch[0];
    {
        UncheckedScope unchecked;
        BigMultiplyInt(x, k, t);
        BigDivide(t, s.modulus, s.modulus);
    }
    if (IsNegative(t)) BigAdd(t, s.modulus, t);
    if (ErrorPending()) return;
    BigCopy(t, w);
}

}  // namespace arkseal
