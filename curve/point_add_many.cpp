// Many affine additions w[i] += x[i] sharing one field inversion: every
// addition needs the slope num / den, so all denominators are inverted at
// once (MontgomeryInverseMany: one inversion and 3(m - 1) products) and the
// sums finished afterwards. Projective coordinates need no inversion, and
// there the additions are done one by one.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/curve/curve_internal.h>
#include <arkseal/curve/curve_point.h>

namespace arkseal {

using namespace curve_detail;

namespace {

enum class SumKind : int { kUnchanged, kCopy, kInfinity, kSlope };

// Classifies w + x and, for a sum that needs a slope, sets num and den.
SumKind Classify(const CurvePoint* x, const CurvePoint* w, BigNumber num, BigNumber den) {
    if (x->marker == kPointInfinity) return SumKind::kUnchanged;
    if (w->marker == kPointInfinity) return SumKind::kCopy;
    if (BigCompare(x->X, w->X) != 0 || BigCompare(x->Y, w->Y) != 0) {
        MontgomerySubtract(x->Y, w->Y, num);
        MontgomerySubtract(x->X, w->X, den);
        return IsZero(den) ? SumKind::kInfinity : SumKind::kSlope;
    }
    if (IsZero(w->Y)) return SumKind::kInfinity;
    BigNumber t = Temp(0);
    MontgomeryMultiply(w->X, w->X, num);
    MontgomeryAdd(num, num, t);
    MontgomeryAdd(t, num, num);
    FieldA(t);
    MontgomeryAdd(num, t, num);
    MontgomeryAdd(w->Y, w->Y, den);
    return SumKind::kSlope;
}

void AddManyAffine(int m, CurvePoint* const* x, CurvePoint* const* w) {
    auto* kinds = static_cast<SumKind*>(NumberAlloc(static_cast<std::size_t>(m), sizeof(SumKind)));
    auto* num = static_cast<BigNumber*>(NumberAlloc(static_cast<std::size_t>(m), sizeof(BigNumber)));
    auto* den = static_cast<BigNumber*>(NumberAlloc(static_cast<std::size_t>(m), sizeof(BigNumber)));
    auto* inv = static_cast<BigNumber*>(NumberAlloc(static_cast<std::size_t>(m), sizeof(BigNumber)));
    if (inv != nullptr) {
        for (int i = 0; i < m; ++i) {
            num[i] = NewBig(0);
            den[i] = NewBig(0);
            inv[i] = NewBig(0);
        }
    }
    if (inv != nullptr && inv[m - 1] != nullptr) {
        for (int i = 0; i < m; ++i) {
            kinds[i] = Classify(x[i], w[i], num[i], den[i]);
            if (kinds[i] != SumKind::kSlope) SetMontgomeryOne(den[i]);
        }
        if (MontgomeryInverseMany(m, den, inv) == 1) {
            for (int i = 0; i < m; ++i) {
                switch (kinds[i]) {
                    case SumKind::kUnchanged: break;
                    case SumKind::kCopy: PointCopy(x[i], w[i]); break;
                    case SumKind::kInfinity: SetInfinity(w[i]); break;
                    case SumKind::kSlope:
                        MontgomeryMultiply(num[i], inv[i], num[i]);
                        AddBySlope(x[i], w[i], num[i]);
                        w[i]->marker = kPointGeneral;
                        break;
                }
            }
        }
    }
    for (int i = 0; inv != nullptr && i < m; ++i) {
        FreeBig(num[i]);
        FreeBig(den[i]);
        FreeBig(inv[i]);
    }
    NumberFree(inv);
    NumberFree(den);
    NumberFree(num);
    NumberFree(kinds);
}

}  // namespace

void PointAddMany(int m, CurvePoint* const* x, CurvePoint* const* w) {
    if (ErrorPending() || m <= 0) return;
    if (!IsAffine()) {
        for (int i = 0; i < m; ++i) PointAdd(x[i], w[i]);
        return;
    }
    AddManyAffine(m, x, w);
}

}  // namespace arkseal
