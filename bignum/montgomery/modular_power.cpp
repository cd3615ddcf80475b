// Powers, roots and Lucas values with an explicit modulus: odd moduli go
// through Montgomery arithmetic with the modulus made current; even moduli
// (powers only) through plain products and remainders. Results are the
// non-negative residues.
//
// Scratch: as the Montgomery operation each calls, plus: PowerMod and
// IntPowerMod 1-3 on the plain path, PowerMod2 17 and 18 for the converted
// bases, SquareRootMod 17 and 18.
#include <arkseal/bignum/montgomery/modular_power.h>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Whether n can be a Montgomery modulus: above 2 and its lowest digit prime
// to the base (odd in a power-of-two base).
bool QualifiesForMontgomery(const NumberSystem& s, const std::uint32_t* n) {
    if (IsNegative(n) || IsFraction(n) || NumeratorLength(n) == 0) return false;
    if (NumeratorLength(n) == 1 && n[1] <= 2) return false;
    if (s.base == s.powerOfTwo) return n[1] % 2 == 1;
    std::uint64_t a = n[1], b = s.base;
    while (b != 0) {
        const std::uint64_t t = a % b;
        a = b;
        b = t;
    }
    return a == 1;
}

// r = r mod n as a non-negative residue.
void ReduceNonNegative(BigNumber r, BigNumber n) {
    BigDivide(r, n, n);
    if (IsNegative(r)) BigAdd(r, n, r);
}

// acc = acc * factor mod n.
void MultiplyMod(BigNumber acc, const std::uint32_t* factor, BigNumber n) {
    BigMultiplyAddDivide(acc, factor, acc, n, n, acc);
}

// w = x^e mod n, right to left over the bits of e, for any n != 0.
void PlainPowerMod(NumberSystem& s, const std::uint32_t* x, const std::uint32_t* e, BigNumber n, BigNumber w) {
    BigNumber square = s.scratch[3];
    BigNumber acc = s.scratch[1];
    BigCopy(x, square);
    ReduceNonNegative(square, n);
    BigFromInt(1, acc);
    ReduceNonNegative(acc, n);
    const int bits = BigBitLength(e);
    for (int i = 0; i < bits && !ErrorPending(); ++i) {
        ReportProgress(s);
        if (BigTestBit(e, i)) MultiplyMod(acc, square, n);
        if (i + 1 < bits) MultiplyMod(square, square, n);
    }
    if (!ErrorPending()) BigCopy(acc, w);
}

}  // namespace

void PowerMod(const std::uint32_t* x, const std::uint32_t* e, BigNumber n, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (IsNegative(e)) {
        RaiseNumberError(kErrorNegativeExponent);
        return;
    }
    if (QualifiesForMontgomery(s, n)) {
        MontgomerySetModulus(n);
        // The power copies its base into its table before it writes scratch 1.
        BigNumber base = s.scratch[1];
        ToMontgomery(x, base);
        MontgomeryPower(base, e, w);
        FromMontgomery(w, w);
        return;
    }
    if (n == w) {
        RaiseNumberError(kErrorSameArgument);
        return;
    }
    PlainPowerMod(s, x, e, n, w);
}

int IntPowerMod(int a, const std::uint32_t* e, BigNumber n, BigNumber w) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (IsNegative(e)) {
        RaiseNumberError(kErrorNegativeExponent);
        return 0;
    }
    if (QualifiesForMontgomery(s, n) && (s.modulus == nullptr || BigCompare(n, s.modulus) == 0)) {
        MontgomerySetModulus(n);
        MontgomeryIntPower(a, e, w);
        FromMontgomery(w, w);
        return BigToInt(w);
    }
    if (n == w) {
        RaiseNumberError(kErrorSameArgument);
        return 0;
    }
    // Left to right: square, then multiply by a where the bit is set.
    BigNumber acc = s.scratch[1];
    BigNumber base = s.scratch[2];
    BigFromInt(a, base);
    ReduceNonNegative(base, n);
    BigFromInt(1, acc);
    ReduceNonNegative(acc, n);
    for (int i = BigBitLength(e) - 1; i >= 0 && !ErrorPending(); --i) {
        ReportProgress(s);
        MultiplyMod(acc, acc, n);
        if (BigTestBit(e, i)) MultiplyMod(acc, base, n);
    }
    if (ErrorPending()) return 0;
    BigCopy(acc, w);
    return BigToInt(w);
}

void PowerMod2(const std::uint32_t* x, const std::uint32_t* e, const std::uint32_t* a, const std::uint32_t* f,
               const std::uint32_t* n, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    MontgomerySetModulus(n);
    BigNumber xForm = s.scratch[17];
    BigNumber aForm = s.scratch[18];
    ToMontgomery(x, xForm);
    ToMontgomery(a, aForm);
    MontgomeryPower2(xForm, e, aForm, f, w);
    FromMontgomery(w, w);
}

void PowerModMany(int m, BigNumber* x, const BigNumber* e, const std::uint32_t* n, BigNumber w) {
    if (ErrorPending()) return;
    MontgomerySetModulus(n);
    for (int i = 0; i < m; ++i) ToMontgomery(x[i], x[i]);
    MontgomeryPowerMany(m, x, e, w);
    for (int i = 0; i < m; ++i) FromMontgomery(x[i], x[i]);
    FromMontgomery(w, w);
}

int SquareRootMod(const std::uint32_t* x, const std::uint32_t* p, BigNumber w) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    if (NumeratorLength(p) == 0 || BigRemainderInt(p, 2) == 0) {
        BigZero(w);
        return 0;
    }
    MontgomerySetModulus(p);
    BigNumber form = s.scratch[18];
    ToMontgomery(x, form);
    const int found = MontgomerySquareRoot(form, w);
    FromMontgomery(w, w);
    return ErrorPending() ? 0 : found;
}

void LucasMod(const std::uint32_t* p, const std::uint32_t* e, const std::uint32_t* n, BigNumber vp, BigNumber v) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    MontgomerySetModulus(n);
    // The Lucas ladder copies p into scratch 4 first, so p may already be there.
    BigNumber form = s.scratch[4];
    ToMontgomery(p, form);
    MontgomeryLucas(form, e, vp, v);
    if (vp != v) FromMontgomery(vp, vp);
    FromMontgomery(v, v);
}

}  // namespace arkseal
