// Powers of residues in Montgomery form.
//
// One base: sliding windows of up to 5 bits over the exponent (see
// exponent_recoding.h) with the 12 odd powers a window can ask for held in
// scratch numbers. Two bases: Shamir's simultaneous method over bit pairs of
// both exponents with the 12 products x^i a^j (i, j < 4) a pair of bit pairs
// can ask for. Many bases: one table of all 2^m subset products, one
// squaring per bit. The result is built in a scratch number (or a table
// entry) and copied out at the end, so it may be the same number as a base
// or an exponent.
#include <algorithm>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/arithmetic/exponent_recoding.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/bignum/montgomery/montgomery_internal.h>

namespace arkseal {

using namespace detail;

namespace {

// Scratch numbers of the odd powers x^(2k+1) for k = 0..15; -1 where no
// window needs the power (9, 17, 19, 25).
constexpr int kOddPowerScratch[16] = {3, 4, 5, 8, -1, 6, 9, 11, -1, -1, 12, 13, -1, 14, 15, 16};

// Scratch numbers of the two-base table, by index 4c + c' (-1: never used).
constexpr int kPairScratch[16] = {-1, 3, 4, 5, -1, 8, 6, 9, -1, 11, 12, 13, -1, 14, 15, 16};

// w = 1 in Montgomery form (R mod n).
void SetOne(BigNumber w) {
    BigFromInt(1, w);
    ToMontgomery(w, w);
}

bool NegativeExponent(const std::uint32_t* e) {
    if (!IsNegative(e)) return false;
    RaiseNumberError(kErrorNegativeExponent);
    return true;
}

// The odd powers of x, each the previous present one times x^2 as often as
// powers were skipped.
void BuildOddPowers(NumberSystem& s, const std::uint32_t* x) {
    BigNumber square = s.scratch[2];
    MontgomeryMultiply(x, x, square);
    BigCopy(x, s.scratch[kOddPowerScratch[0]]);
    BigNumber previous = s.scratch[kOddPowerScratch[0]];
    int skipped = 0;
    for (int k = 1; k < 16; ++k) {
        ++skipped;
        if (kOddPowerScratch[k] < 0) continue;
        BigNumber entry = s.scratch[kOddPowerScratch[k]];
        MontgomeryMultiply(previous, square, entry);
        for (int j = 1; j < skipped; ++j) MontgomeryMultiply(entry, square, entry);
        previous = entry;
        skipped = 0;
    }
}

// Clears the upper-half views used as table entries, so that their hosts'
// upper words are zero again.
void ClearUpperViews(NumberSystem& s) {
    BigZero(s.scratch[8]);
    BigZero(s.scratch[9]);
}

// acc = acc^(2^count); squaring 1 is skipped.
void SquareTimes(BigNumber acc, int count, bool& isOne) {
    if (isOne) return;
    for (int j = 0; j < count; ++j) MontgomeryMultiply(acc, acc, acc);
}

void MultiplyInto(BigNumber acc, const std::uint32_t* factor, bool& isOne) {
    if (isOne) {
        BigCopy(factor, acc);
    } else {
        MontgomeryMultiply(acc, factor, acc);
    }
    isOne = false;
}

}  // namespace

void MontgomeryPower(const std::uint32_t* x, const std::uint32_t* e, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (IsZero(x)) {
        if (IsZero(e)) {
            SetOne(w);
        } else {
            BigZero(w);
        }
        return;
    }
    if (IsZero(e)) {
        SetOne(w);
        return;
    }
    if (NegativeExponent(e)) return;
    BuildOddPowers(s, x);
    BigNumber acc = s.scratch[1];
    BigCopy(s.scratch[kOddPowerScratch[0]], acc);
    for (int i = BigBitLength(e) - 2; i >= 0 && !ErrorPending();) {
        ReportProgress(s);
        int nbs, nzs;
        const int v = ExponentWindow(e, i, &nbs, &nzs);
        for (int j = 0; j < nbs; ++j) MontgomeryMultiply(acc, acc, acc);
        if (v > 0) MontgomeryMultiply(acc, s.scratch[kOddPowerScratch[v / 2]], acc);
        for (int j = 0; j < nzs; ++j) MontgomeryMultiply(acc, acc, acc);
        i -= nbs + nzs;
    }
    ClearUpperViews(s);
    BigCopy(acc, w);
}

void MontgomeryIntPower(int a, const std::uint32_t* e, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (a == 0) {
        if (IsZero(e)) {
            SetOne(w);
        } else {
            BigZero(w);
        }
        return;
    }
    if (NegativeExponent(e)) return;
    BigNumber acc = s.scratch[1];
    if (IsZero(e)) {
        SetOne(w);
        return;
    }
    BigFromInt(a, acc);
    ToMontgomery(acc, acc);
    for (int i = BigBitLength(e) - 2; i >= 0 && !ErrorPending(); --i) {
        ReportProgress(s);
        MontgomeryMultiply(acc, acc, acc);
        if (BigTestBit(e, i)) MontgomeryMultiplyInt(acc, a, acc);
    }
    BigCopy(acc, w);
}

void MontgomeryPower2(const std::uint32_t* x, const std::uint32_t* e, const std::uint32_t* a, const std::uint32_t* f,
                      BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (NegativeExponent(e) || NegativeExponent(f)) return;
    // A zero base gives 0 unless its exponent is 0 too, where its power is 1.
    if ((IsZero(x) && !IsZero(e)) || (IsZero(a) && !IsZero(f))) {
        BigZero(w);
        return;
    }
    if (IsZero(e) || IsZero(x)) {
        MontgomeryPower(a, f, w);
        return;
    }
    if (IsZero(f) || IsZero(a)) {
        MontgomeryPower(x, e, w);
        return;
    }
    auto entry = [&s](int index) { return s.scratch[kPairScratch[index]]; };
    BigNumber aSquare = s.scratch[1];
    BigNumber xSquare = s.scratch[2];
    MontgomeryMultiply(a, a, aSquare);
    MontgomeryMultiply(x, x, xSquare);
    BigCopy(a, entry(1));
    BigCopy(x, entry(2));
    MontgomeryMultiply(x, a, entry(3));
    MontgomeryMultiply(a, aSquare, entry(5));
    MontgomeryMultiply(x, aSquare, entry(6));
    MontgomeryMultiply(x, entry(5), entry(7));
    MontgomeryMultiply(xSquare, a, entry(9));
    MontgomeryMultiply(x, xSquare, entry(10));
    MontgomeryMultiply(entry(10), a, entry(11));
    MontgomeryMultiply(xSquare, entry(5), entry(13));
    MontgomeryMultiply(entry(10), aSquare, entry(14));
    MontgomeryMultiply(entry(10), entry(5), entry(15));
    BigNumber acc = s.scratch[1];
    bool isOne = true;
    for (int i = std::max(BigBitLength(e), BigBitLength(f)) - 1; i >= 0 && !ErrorPending();) {
        ReportProgress(s);
        int nbs, nzs;
        const int index = ExponentWindow2(e, f, i, &nbs, &nzs);
        SquareTimes(acc, nbs, isOne);
        if (index != 0) MultiplyInto(acc, entry(index), isOne);
        SquareTimes(acc, nzs, isOne);
        i -= nbs + nzs;
    }
    ClearUpperViews(s);
    BigCopy(acc, w);
}

void MontgomeryPowerMany(int m, const BigNumber* x, const BigNumber* e, BigNumber w) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    if (!ModulusSet(s)) return;
    if (s.base != s.powerOfTwo) {
        RaiseNumberError(kErrorNeedsPowerOfTwoBase);
        return;
    }
    // The table has 2^m entries; beyond this it cannot be allocated anyway.
    constexpr int kMostBases = 20;
    if (m > kMostBases) {
        RaiseNumberError(kErrorAllocation);
        return;
    }
    int bits = 0;
    for (int j = 0; j < m; ++j) {
        if (NegativeExponent(e[j])) return;
        bits = std::max(bits, BigBitLength(e[j]));
    }
    const int count = m > 0 ? 1 << m : 1;
    // One more number than the table for the running product.
    auto* table = static_cast<BigNumber*>(NumberAlloc(static_cast<std::size_t>(count) + 1, sizeof(BigNumber)));
    if (table == nullptr) return;
    for (int k = 0; k <= count; ++k) table[k] = NewBig(0);
    if (!ErrorPending()) {
        SetOne(table[0]);
        for (int k = 1; k < count; ++k) {
            const int low = k & -k;
            const int j = __builtin_ctz(static_cast<unsigned>(k));
            MontgomeryMultiply(table[k - low], x[j], table[k]);
        }
        BigNumber acc = table[count];
        BigCopy(table[0], acc);
        bool isOne = true;
        for (int i = bits - 1; i >= 0 && !ErrorPending(); --i) {
            ReportProgress(s);
            SquareTimes(acc, 1, isOne);
            int k = 0;
            for (int j = 0; j < m; ++j) k |= BigTestBit(e[j], i) << j;
            if (k != 0) MultiplyInto(acc, table[k], isOne);
        }
        if (!ErrorPending()) BigCopy(acc, w);
    }
    for (int k = 0; k <= count; ++k) FreeBig(table[k]);
    NumberFree(table);
}

}  // namespace arkseal
