// Helpers shared by the Montgomery implementation files. Internal to bignum/.
#pragma once

#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal::detail {

// Digit words of the current modulus (0 without one).
inline int ModulusWords(const NumberSystem& s) { return s.modulus != nullptr ? NumeratorLength(s.modulus) : 0; }

// True when a modulus is set; raises error 20 otherwise.
inline bool ModulusSet(const NumberSystem& s) {
    if (s.modulus != nullptr) return true;
    RaiseNumberError(kErrorNoModulus);
    return false;
}

// t = t R^-1 mod n in place, for a non-negative t below n R held in a
// double-length scratch number.
void ReduceInPlace(NumberSystem& s, BigNumber t);

}  // namespace arkseal::detail
