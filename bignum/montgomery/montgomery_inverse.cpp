// Division of residues and simultaneous inversion.
//
// For y = b R in Montgomery form, FromMontgomery gives b; its inverse b^-1 is
// (R b^-1) R^-1, so x b^-1 = (a R) b^-1 is the Montgomery form of a / b: one
// plain product modulo n. Simultaneous inversion (Montgomery's trick) inverts
// the product of all m values once and recovers each inverse from the
// prefix products with 3 (m - 1) products.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

int MontgomeryDivide(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (x == y) {
        RaiseNumberError(kErrorSameArgument);
        return 0;
    }
    if (!ModulusSet(s)) return 0;
    BigNumber inverse = s.scratch[6];
    FromMontgomery(y, inverse);
    const int gcd = BigExtendedGcd(inverse, s.modulus, inverse, inverse, inverse);
    BigMultiplyAddDivide(x, inverse, x, s.modulus, s.modulus, w);
    return gcd;
}

int MontgomeryInverseMany(int m, const BigNumber* x, BigNumber* w) {
    if (m == 0) return 1;
    if (m < 0) return 0;
    if (x == w) {
        RaiseNumberError(kErrorSameArgument);
        return 0;
    }
    NumberSystem& s = Workspace();
    if (m == 1) {
        if (ErrorPending() || !ModulusSet(s)) return 0;
        if (IsZero(x[0])) {
            RaiseNumberError(kErrorDivisionByZero);
            return 0;
        }
        BigFromInt(1, w[0]);
        ToMontgomery(w[0], w[0]);
        return MontgomeryDivide(w[0], x[0], w[0]) == 1 && !ErrorPending() ? 1 : 0;
    }
    BigFromInt(1, w[0]);
    BigCopy(x[0], w[1]);
    for (int i = 2; i < m; ++i) MontgomeryMultiply(w[i - 1], x[i - 1], w[i]);
    if (ErrorPending() || !ModulusSet(s)) return 0;
    BigNumber inverse = s.scratch[6];
    MontgomeryMultiply(w[m - 1], x[m - 1], inverse);
    if (IsZero(inverse)) {
        RaiseNumberError(kErrorDivisionByZero);
        return 0;
    }
    // The product P R, reduced twice, is P R^-1, whose inverse P^-1 R is the
    // Montgomery form of 1 / P.
    FromMontgomery(inverse, inverse);
    FromMontgomery(inverse, inverse);
    if (BigExtendedGcd(inverse, s.modulus, inverse, inverse, inverse) != 1) return 0;
    BigNumber running = s.scratch[5];
    BigCopy(x[m - 1], running);
    MontgomeryMultiply(w[m - 1], inverse, w[m - 1]);
    for (int i = m - 2; i >= 1; --i) {
        MontgomeryMultiply(w[i], running, w[i]);
        MontgomeryMultiply(w[i], inverse, w[i]);
        MontgomeryMultiply(running, x[i], running);
    }
    MontgomeryMultiply(running, inverse, w[0]);
    return ErrorPending() ? 0 : 1;
}

}  // namespace arkseal
