// Square roots modulo the current (odd, presumed prime) modulus n, chosen by
// n mod 8:
//   n = 3 mod 4: x^((n+1)/4).
//   n = 5 mod 8 (Atkin): t = 2x, g = t^((n-5)/8), i = t g^2 (a square root
//     of -1), root = x g (i - 1).
//   n = 1 mod 8 (Tonelli-Shanks): n - 1 = q 2^k; z = b^q for the first b
//     whose z^(2^(k-1)) is -1 (a non-residue); the loop runs while c is not
//     1, so after t reaches 1 it takes one more pass that multiplies r by
//     c^(2^(M-1)) = -1: the root returned is the negation of the one the
//     textbook loop stops with.
// Every result is checked by squaring; a failed check gives 0.
//
// Scratch: 17 holds the exponent, 18 the copy of x; the powers overwrite
// 0-9 and 11-16, so the values of the Tonelli-Shanks loop, which only
// multiplies, live in 1-5 once the powers are done, and c in w.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

namespace {

void SetOne(BigNumber w) {
    BigFromInt(1, w);
    ToMontgomery(w, w);
}

// w = x^((n+1)/4), the exponent formed as floor(n / 4) + 1 so that n + 1
// need not fit.
void RootThreeModFour(NumberSystem& s, BigNumber x, BigNumber w) {
    BigNumber exponent = s.scratch[17];
    BigShiftBits(s.modulus, -2, exponent);
    BigAddInt(exponent, 1, exponent);
    MontgomeryPower(x, exponent, w);
}

// w = x g (t g^2 - 1) with t = 2x, g = t^((n-5)/8).
void RootFiveModEight(NumberSystem& s, BigNumber x, BigNumber w) {
    BigNumber g = s.scratch[17];
    BigSubtractInt(s.modulus, 5, g);
    BigShiftBits(g, -3, g);
    MontgomeryAdd(x, x, w);
    MontgomeryPower(w, g, g);
    BigNumber i = s.scratch[1];
    BigNumber one = s.scratch[2];
    BigNumber xg = s.scratch[3];
    MontgomeryMultiply(g, g, i);
    MontgomeryMultiply(w, i, i);
    SetOne(one);
    MontgomerySubtract(i, one, i);
    MontgomeryMultiply(x, g, xg);
    MontgomeryMultiply(xg, i, w);
}

enum class Candidate { kNonResidue, kResidue, kNotPrime };

// Classifies b by z = b^q (in z): squaring z k - 1 times must reach -1 at the
// last step for a non-residue; 1 reached without -1 before it, or an end
// value that is neither, shows n composite.
Candidate Classify(NumberSystem& s, int b, const std::uint32_t* q, int k, BigNumber z) {
    BigNumber one = s.scratch[4];
    BigNumber minusOne = s.scratch[5];
    BigNumber v = s.scratch[3];
    MontgomeryIntPower(b, q, z);
    SetOne(one);
    MontgomeryNegate(one, minusOne);
    if (BigCompare(z, one) == 0) return Candidate::kResidue;
    BigCopy(z, v);
    bool sawMinusOne = false;
    for (int j = 1; j < k; ++j) {
        if (BigCompare(v, minusOne) == 0) sawMinusOne = true;
        MontgomeryMultiply(v, v, v);
        if (BigCompare(v, one) == 0 && !sawMinusOne) return Candidate::kNotPrime;
    }
    if (BigCompare(v, minusOne) == 0) return Candidate::kNonResidue;
    return sawMinusOne ? Candidate::kResidue : Candidate::kNotPrime;
}

// Tonelli-Shanks; false when n shows itself composite or x is not a square.
bool RootOneModEight(NumberSystem& s, BigNumber x, BigNumber w) {
    BigNumber q = s.scratch[17];
    BigSubtractInt(s.modulus, 1, q);
    int k = 0;
    while (!BigTestBit(q, k)) ++k;
    BigShiftBits(q, -k, q);
    // c = z in w.
    for (int b = 2;; ++b) {
        if (ErrorPending() || b == kBigIntMarker) return false;
        const Candidate kind = Classify(s, b, q, k, w);
        if (kind == Candidate::kNonResidue) break;
        if (kind == Candidate::kNotPrime) return false;
    }
    // y = x^((q-1)/2); t = x^q = y^2 x; r = x^((q+1)/2) = y x.
    BigShiftBits(q, -1, q);
    MontgomeryPower(x, q, q);
    BigNumber t = s.scratch[1];
    BigNumber r = s.scratch[2];
    BigNumber power = s.scratch[3];
    BigNumber one = s.scratch[4];
    MontgomeryMultiply(q, q, t);
    MontgomeryMultiply(t, x, t);
    MontgomeryMultiply(q, x, r);
    SetOne(one);
    for (int m = k; BigCompare(w, one) != 0 && !ErrorPending();) {
        ReportProgress(s);
        // The least d with t^(2^d) = 1.
        int d = 0;
        BigCopy(t, power);
        while (d < m && BigCompare(power, one) != 0) {
            MontgomeryMultiply(power, power, power);
            ++d;
        }
        if (d >= m) return false;
        // b' = c^(2^(m-d-1)) in power; r = r b'; c = b'^2; t = t c.
        BigCopy(w, power);
        for (int j = 0; j < m - d - 1; ++j) MontgomeryMultiply(power, power, power);
        MontgomeryMultiply(r, power, r);
        MontgomeryMultiply(power, power, w);
        MontgomeryMultiply(t, w, t);
        m = d;
    }
    BigCopy(r, w);
    return true;
}

}  // namespace

int MontgomerySquareRoot(const std::uint32_t* x, BigNumber w) {
    NumberSystem& s = Workspace();
    BigNumber value = s.scratch[18];
    BigCopy(x, value);
    BigZero(w);
    if (ErrorPending() || !ModulusSet(s)) return 0;
    // 0 is its own root (the Tonelli-Shanks loop would never see t = 1).
    if (IsZero(value)) return 1;
    BigNumber one = s.scratch[4];
    SetOne(one);
    if (BigCompare(value, one) == 0) {
        BigCopy(one, w);
        return 1;
    }
    const std::uint32_t low =
        s.base == 0 ? Digits(s.modulus)[0] : static_cast<std::uint32_t>(BigRemainderInt(s.modulus, 8));
    bool found = true;
    switch (low % 8) {
        case 3:
        case 7: RootThreeModFour(s, value, w); break;
        case 5: RootFiveModEight(s, value, w); break;
        case 1: found = RootOneModEight(s, value, w); break;
        default: found = false;
    }
    BigNumber check = s.scratch[1];
    if (found && !ErrorPending()) {
        MontgomeryMultiply(w, w, check);
        if (BigCompare(check, value) == 0) return 1;
    }
    BigZero(w);
    return 0;
}

}  // namespace arkseal
