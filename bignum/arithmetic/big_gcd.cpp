// Greatest common divisor by Lehmer's method, with and without the cofactor.
//
// The pair (a, b), a >= b, is reduced by running Euclid's algorithm on
// two-digit approximations v, u of a and b taken at one scale, tracking the
// cofactor matrix [[B, A], [C, D]] of the steps; steps are taken only while
// the trial quotients from both ends of the approximation agree, so they are
// the true quotients of a and b. The matrix is then applied to the full
// numbers at once. When no step can be taken, one full division step is
// made instead. The matrix entries alternate in sign, so each new value is a
// difference of two products and each new cofactor a sum of two magnitudes.
#include <cstdlib>
#include <utility>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/kernels/digit_kernels.h>
#include <arkseal/bignum/workspace/number_internal.h>

namespace arkseal {

using namespace detail;

namespace {

using Int128 = __int128;

constexpr std::int64_t kCofactorBound = std::int64_t{1} << 30;

struct Matrix {
    std::int64_t a = 0, b = 1, c = 0, d = 1;  // new pair = (b x + a y, c x + d y)
};

WideWord DigitAt(const Word* d, int length, int i) { return i >= 0 && i < length ? d[i] : 0; }

// (h * 2^64 + m * 2^32 + l) / divisor for h < divisor.
WideWord ThreeWordsDivided(WideWord h, WideWord m, WideWord l, WideWord divisor) {
    const WideWord high = (h << 32) | m;
    const WideWord r = high % divisor;
    return ((high / divisor) << 32) | (((r << 32) | l) / divisor);
}

// Approximations v of a and u of b at one scale; exact when a has at most
// two digits.
void Approximate(Word base, BigNumber a, BigNumber b, WideWord& v, WideWord& u, bool& exact) {
    const int la = NumeratorLength(a);
    const int lb = NumeratorLength(b);
    const Word* x = Digits(a);
    const Word* y = Digits(b);
    const WideWord radix = Radix(base);
    exact = la <= 2;
    if (base == 0 && la >= 3 && x[la - 1] != 0xFFFFFFFFu) {
        const WideWord divisor = static_cast<WideWord>(x[la - 1]) + 1;
        v = ThreeWordsDivided(x[la - 1], x[la - 2], x[la - 3], divisor);
        u = ThreeWordsDivided(DigitAt(y, lb, la - 1), DigitAt(y, lb, la - 2), DigitAt(y, lb, la - 3), divisor);
        return;
    }
    v = DigitAt(x, la, la - 1) * radix + DigitAt(x, la, la - 2);
    u = DigitAt(y, lb, la - 1) * radix + DigitAt(y, lb, la - 2);
}

// Euclid on the approximations while the quotients are certain and the
// cofactors stay below 2^30. Returns false when no step was taken.
bool ReduceApproximation(WideWord v0, WideWord u0, bool exact, Matrix& m) {
    Int128 v = v0;
    Int128 u = u0;
    bool stepped = false;
    for (;;) {
        Int128 q;
        if (exact) {
            if (u == 0) break;
            q = v / u;
        } else {
            if (u + m.c <= 0 || u + m.d <= 0 || v + m.b < 0 || v + m.a < 0) break;
            q = (v + m.b) / (u + m.c);
            if (q != (v + m.a) / (u + m.d)) break;
        }
        if (m.d == 0 || q >= kCofactorBound / std::llabs(m.d)) break;
        const std::int64_t q64 = static_cast<std::int64_t>(q);
        const std::int64_t newC = m.b - q64 * m.c;
        const std::int64_t newD = m.a - q64 * m.d;
        if (std::llabs(newC) >= kCofactorBound || std::llabs(newD) >= kCofactorBound) break;
        const Int128 r = v - q * u;
        if (r < 0) break;
        v = u;
        u = r;
        m.b = m.c;
        m.c = newC;
        m.a = m.d;
        m.d = newD;
        stepped = true;
    }
    return stepped;
}

// out = p x + q y for p, q of opposite signs with a result >= 0, over n digits.
void CombineDifference(Word base, Word* out, const Word* x, std::int64_t p, const Word* y, std::int64_t q, int n) {
    if (q <= 0) {
        DigitsCombineSubtract(base, out, x, static_cast<Word>(p), y, static_cast<Word>(-q), n);
    } else {
        DigitsCombineSubtract(base, out, y, static_cast<Word>(q), x, static_cast<Word>(-p), n);
    }
}

// Stores carry (possibly more than one digit in a small base) from digit
// `length` up; returns the new length.
int PutCarry(Word base, Word* d, int length, WideWord carry) {
    const WideWord radix = Radix(base);
    while (carry != 0) {
        d[length++] = static_cast<Word>(carry % radix);
        carry /= radix;
    }
    return length;
}

// The pair and, for the extended form, the cofactors of the first input.
struct GcdState {
    Word base;
    BigNumber a, b, spare;                                   // a >= b >= 0; spare is free space
    BigNumber ua = nullptr, ub = nullptr, uSpare = nullptr;  // signed cofactors
};

void ApplyToPair(GcdState& g, const Matrix& m) {
    const int n = NumeratorLength(g.a);
    const int oldSpare = TotalLength(g.spare);
    CombineDifference(g.base, Digits(g.spare), Digits(g.a), m.b, Digits(g.b), m.a, n);
    CombineDifference(g.base, Digits(g.b), Digits(g.a), m.c, Digits(g.b), m.d, n);
    FinishInteger(g.spare, oldSpare > n ? oldSpare : n, n, false);
    FinishInteger(g.b, n, n, false);
    std::swap(g.a, g.spare);
}

bool SignOfTerm(std::int64_t factor, const std::uint32_t* u, bool& known) {
    known = factor != 0 && !IsZero(u);
    return (factor < 0) != IsNegative(u);
}

// out = p u + q v where both products have the same sign.
void CombineCofactor(Word base, BigNumber out, std::int64_t p, const std::uint32_t* u, std::int64_t q,
                     const std::uint32_t* v) {
    bool firstKnown;
    bool secondKnown;
    const bool firstNegative = SignOfTerm(p, u, firstKnown);
    const bool secondNegative = SignOfTerm(q, v, secondKnown);
    const bool negative = firstKnown ? firstNegative : secondKnown && secondNegative;
    const int lu = NumeratorLength(u);
    const int lv = NumeratorLength(v);
    const int n = lu > lv ? lu : lv;
    const int oldTotal = TotalLength(out);
    const Word carry = DigitsCombineAdd(base, Digits(out), Digits(u), static_cast<Word>(std::llabs(p)), Digits(v),
                                        static_cast<Word>(std::llabs(q)), n);
    const int length = PutCarry(base, Digits(out), n, carry);
    FinishInteger(out, oldTotal > length ? oldTotal : length, length, negative);
}

void ApplyToCofactors(GcdState& g, const Matrix& m) {
    CombineCofactor(g.base, g.uSpare, m.b, g.ua, m.a, g.ub);
    CombineCofactor(g.base, g.ub, m.c, g.ua, m.d, g.ub);
    std::swap(g.ua, g.uSpare);
}

// ua = ua - q ub where ua and ub have opposite signs (or one is zero): the
// magnitudes add. q is held in the spare pair buffer.
void SubtractQuotientTimes(GcdState& g, const std::uint32_t* q) {
    const bool negative = IsZero(g.ua) ? !IsNegative(g.ub) && !IsZero(g.ub) : IsNegative(g.ua);
    const int lq = NumeratorLength(q);
    const int lb = NumeratorLength(g.ub);
    int length = NumeratorLength(g.ua);
    Word* acc = Digits(g.ua);
    for (int j = 0; j < lq && lb > 0; ++j) {
        if (length < j + lb) length = j + lb;
        Word carry = DigitsMultiplyAdd(g.base, acc + j, Digits(g.ub), lb, Digits(q)[j]);
        carry = DigitsAddDigit(g.base, acc + j + lb, acc + j + lb, length - j - lb, carry);
        if (carry != 0) acc[length++] = carry;
    }
    FinishInteger(g.ua, length, length, negative);
}

// One division step: a = a mod b, then the pair is swapped.
void FullStep(GcdState& g) {
    if (g.ua == nullptr) {
        BigDivide(g.a, g.b, g.b);
    } else {
        BigDivide(g.a, g.b, g.spare);
        SubtractQuotientTimes(g, g.spare);
        std::swap(g.ua, g.ub);
    }
    std::swap(g.a, g.b);
}

// Euclid on single words for the plain gcd once b has one digit.
void FinishWithWord(GcdState& g) {
    WideWord small = Digits(g.b)[0];
    WideWord r = DigitsDivideByWord(g.base, nullptr, Digits(g.a), NumeratorLength(g.a), static_cast<Word>(small));
    while (r != 0) {
        const WideWord t = small % r;
        small = r;
        r = t;
    }
    BigZero(g.a);
    BigZero(g.b);
    g.a[0] = 1;
    g.a[1] = static_cast<Word>(small);
}

void Reduce(GcdState& g) {
    while (!IsZero(g.b) && !ErrorPending()) {
        if (g.ua == nullptr && NumeratorLength(g.b) == 1) {
            FinishWithWord(g);
            return;
        }
        WideWord v;
        WideWord u;
        bool exact;
        Approximate(g.base, g.a, g.b, v, u, exact);
        Matrix m;
        if (!ReduceApproximation(v, u, exact, m)) {
            FullStep(g);
            continue;
        }
        ApplyToPair(g, m);
        if (g.ua != nullptr) ApplyToCofactors(g, m);
        if (BigCompare(g.a, g.b) < 0) {
            std::swap(g.a, g.b);
            std::swap(g.ua, g.ub);
        }
    }
}

// Loads abs(x), abs(y) into the pair, the larger first; with cofactors, the
// cofactor of x in the pair is (1, 0) or (0, 1).
void Load(GcdState& g, const std::uint32_t* x, const std::uint32_t* y) {
    BigAbs(x, g.a);
    BigAbs(y, g.b);
    if (g.ua != nullptr) {
        BigFromInt(1, g.ua);
        BigZero(g.ub);
    }
    if (BigCompare(g.a, g.b) < 0) {
        std::swap(g.a, g.b);
        if (g.ua != nullptr) std::swap(g.ua, g.ub);
    }
}

}  // namespace

int BigGcd(const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    GcdState g{s.base, s.scratch[1], s.scratch[2], z};
    Load(g, x, y);
    Reduce(g);
    if (ErrorPending()) return 0;
    BigCopy(g.a, z);
    return BigToInt(z);
}

int BigExtendedGcd(const std::uint32_t* x, const std::uint32_t* y, BigNumber xd, BigNumber yd, BigNumber z) {
    if (ErrorPending()) return 0;
    NumberSystem& s = Workspace();
    const bool xNegative = IsNegative(x);
    const bool yNegative = IsNegative(y);
    const bool yZero = IsZero(y);
    GcdState g{s.base, s.scratch[1], s.scratch[2], s.scratch[5], s.scratch[3], s.scratch[4], s.scratch[6]};
    Load(g, x, y);
    Reduce(g);
    if (ErrorPending()) return 0;
    // The cofactor of x, moved into 1..|y| when it is not positive.
    BigNumber cofactor = g.ua;
    if (xNegative) BigNegate(cofactor, cofactor);
    if (IsZero(cofactor) || IsNegative(cofactor)) {
        if (yNegative) {
            BigSubtract(cofactor, y, cofactor);
        } else {
            BigAdd(cofactor, y, cofactor);
        }
    }
    // yd = (gcd - xd x) / y, or 0 when y is 0; formed apart, since the
    // outputs may be the inputs.
    BigNumber other = g.uSpare;
    const bool wantOther = xd != yd;
    if (wantOther) {
        BigZero(other);
        if (!yZero) {
            BigNegate(cofactor, other);
            BigMultiplyAddDivide(other, x, g.a, const_cast<BigNumber>(y), other, g.ub);
        }
    }
    if (ErrorPending()) return 0;
    BigCopy(cofactor, xd);
    if (wantOther) BigCopy(other, yd);
    if (z != xd && z != yd) BigCopy(g.a, z);
    return BigToInt(g.a);
}

}  // namespace arkseal
