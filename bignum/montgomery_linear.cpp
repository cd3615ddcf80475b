// Sum, difference, negation and small multiples of residues. These need no
// Montgomery reduction, so they hold for residues in either form.
#include "bignum/big_arithmetic.h"
#include "bignum/montgomery.h"
#include "bignum/montgomery_internal.h"

namespace arkseal {

using namespace detail;

void MontgomeryAdd(const std::uint32_t* x, const std::uint32_t* y, BigNumber w) {
    if (ErrorPending()) return;
    const NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
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
