// Curve activation and the point record: making, setting, reading, copying,
// comparing and normalising points.
#include <arkseal/curve/curve_point.h>

#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/field256/field_routes.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/curve/curve_internal.h>

namespace arkseal {

using namespace curve_detail;

namespace curve_detail {

bool IsBigMarker(int v) { return v == kBigIntMarker || v == -kBigIntMarker; }

void SetMontgomeryOne(BigNumber x) {
    BigFromInt(1, x);
    ToMontgomery(x, x);
}

void SetInfinity(CurvePoint* P) {
    SetMontgomeryOne(P->X);
    BigCopy(P->X, P->Y);
    P->marker = kPointInfinity;
}

void EnsureZ(CurvePoint* P) {
    if (P->Z != nullptr) return;
    P->Z = NewBig(0);
    if (P->Z != nullptr) SetMontgomeryOne(P->Z);
}

void MultiplyByA(const std::uint32_t* x, BigNumber w) {
    const NumberSystem& s = Workspace();
    if (IsBigMarker(s.curveASmall)) {
        MontgomeryMultiply(x, s.curveA, w);
    } else {
        MontgomeryMultiplyInt(x, s.curveASmall, w);
    }
}

namespace {

void SmallOrBig(int small, const std::uint32_t* big, BigNumber w) {
    if (IsBigMarker(small)) {
        BigCopy(big, w);
    } else {
        BigFromInt(small, w);
        ToMontgomery(w, w);
    }
}

}  // namespace

void FieldA(BigNumber w) { SmallOrBig(Workspace().curveASmall, Workspace().curveA, w); }
void FieldB(BigNumber w) { SmallOrBig(Workspace().curveBSmall, Workspace().curveB, w); }

}  // namespace curve_detail

namespace {

// Sets *field (created on first need) to x in Montgomery form.
void StoreMontgomery(const std::uint32_t* x, BigNumber* field) {
    if (*field == nullptr) *field = NewBig(0);
    if (*field != nullptr) ToMontgomery(x, *field);
}

// A given as a big positive number may still be a small negative one mod p
// (p - 3 is -3): then the small form, and its shortcuts, apply.
int SmallA(const std::uint32_t* a, const std::uint32_t* p) {
    int small = BigToInt(a);
    if (small != kBigIntMarker) return small;
    BigNumber r = NewBig(0);
    BigNumber modulus = NewBig(0);
    if (r != nullptr && modulus != nullptr) {
        BigCopy(a, r);
        BigCopy(p, modulus);
        BigDivide(r, modulus, modulus);  // r = a mod p
        BigSubtract(modulus, r, r);      // r = p - (a mod p)
        const int s = BigToInt(r);
        if (!IsBigMarker(s) && !ErrorPending()) small = -s;
    }
    FreeBig(r);
    FreeBig(modulus);
    return small;
}

// y = a square root of w (Montgomery forms), 1; 0 and y = 0 when w is not a
// square. On the four-limb field with p = 3 mod 4 this is w^((p+1)/4), the
// root the general square root takes for such p.
int SquareRoot(const std::uint32_t* w, BigNumber y) {
    const field256::Field* f = field256::CurrentField();
    if (f == nullptr || (f->p[0] & 3) != 3) return MontgomerySquareRoot(w, y);
    field256::Element x, r;
    field256::LoadLimbs(w, x);
    const bool square =
        field256::WithActiveRoute([&](auto ops) { return field256::SquareRoot<decltype(ops)>(*f, x, r); });
    if (!square) {
        BigZero(y);
        return 0;
    }
    field256::StoreLimbs(r, y);
    return 1;
}

// w = x^3 + A x + B for x in Montgomery form.
void RightHandSide(const std::uint32_t* x, BigNumber w) {
    BigNumber t = NewBig(0);
    if (t == nullptr) return;
    MontgomeryMultiply(x, x, w);
    MontgomeryMultiply(w, x, w);
    MultiplyByA(x, t);
    MontgomeryAdd(w, t, w);
    FieldB(t);
    MontgomeryAdd(w, t, w);
    FreeBig(t);
}

}  // namespace

void CurveInit(const std::uint32_t* a, const std::uint32_t* b, const std::uint32_t* p, int mode) {
    if (ErrorPending()) return;
    NumberSystem& s = Workspace();
    MontgomerySetModulus(p);
    s.curveASmall = SmallA(a, p);
    if (IsBigMarker(s.curveASmall)) StoreMontgomery(a, &s.curveA);
    s.curveBSmall = BigToInt(b);
    if (IsBigMarker(s.curveBSmall)) StoreMontgomery(b, &s.curveB);
    s.coordinateMode = mode;
}

int curve_detail::IsCurveX(const std::uint32_t* x) {
    if (ErrorPending()) return 0;
    BigNumber X = NewBig(0);
    BigNumber w = NewBig(0);
    int result = 0;
    if (w != nullptr) {
        ToMontgomery(x, X);
        RightHandSide(X, w);
        if (const field256::Field* f = field256::CurrentField()) {
            field256::Element e;
            field256::LoadLimbs(w, e);
            result = field256::IsSquare(*f, e);
        } else {
            result = MontgomerySquareRoot(w, X);
        }
        if (ErrorPending()) result = 0;
    }
    FreeBig(X);
    FreeBig(w);
    return result;
}

CurvePoint* PointNew() {
    if (ErrorPending()) return nullptr;
    auto* P = static_cast<CurvePoint*>(NumberAlloc(1, sizeof(CurvePoint)));
    if (P == nullptr) return nullptr;
    P->X = NewBig(0);
    P->Y = NewBig(0);
    P->Z = nullptr;
    P->marker = kPointInfinity;
    if (P->X == nullptr || P->Y == nullptr) {
        PointFree(P);
        return nullptr;
    }
    return P;
}

void PointFree(CurvePoint* P) {
    if (P == nullptr) return;
    FreeBig(P->X);
    FreeBig(P->Y);
    FreeBig(P->Z);
    NumberFree(P);
}

int PointSet(const std::uint32_t* x, const std::uint32_t* y, int bit, CurvePoint* P) {
    if (ErrorPending()) return 0;
    if (x == nullptr || y == nullptr) {
        SetInfinity(P);
        return 1;
    }
    // Work in fresh numbers so that a point that is refused leaves P alone.
    BigNumber X = NewBig(0);
    BigNumber Y = NewBig(0);
    BigNumber w = NewBig(0);
    int result = 0;
    if (w != nullptr) {
        ToMontgomery(x, X);
        RightHandSide(X, w);
        if (x == y) {
            const int square = SquareRoot(w, Y);
            FromMontgomery(Y, w);
            if (BigRemainderInt(w, 2) != bit) MontgomeryNegate(Y, Y);
            result = square;
        } else {
            ToMontgomery(y, Y);
            BigNumber square = Temp(0);
            MontgomeryMultiply(Y, Y, square);
            result = BigCompare(square, w) == 0;
        }
        if (ErrorPending()) result = 0;
    }
    if (result == 1) {
        BigCopy(X, P->X);
        BigCopy(Y, P->Y);
        if (P->Z != nullptr) SetMontgomeryOne(P->Z);
        P->marker = kPointNormalised;
    }
    FreeBig(X);
    FreeBig(Y);
    FreeBig(w);
    return result;
}

int PointNormalise(CurvePoint* P) {
    if (ErrorPending()) return 0;
    if (IsAffine() || P->marker != kPointGeneral) return 1;
    if (P->Z == nullptr) {  // a sum made in affine mode: its coordinates are affine
        P->marker = kPointNormalised;
        return 1;
    }
    BigNumber one = Temp(0), t = Temp(1), t2 = Temp(2);
    SetMontgomeryOne(one);
    if (MontgomeryDivide(one, P->Z, t) != 1) return 0;
    MontgomeryMultiply(t, t, t2);
    MontgomeryMultiply(P->X, t2, P->X);
    MontgomeryMultiply(t2, t, t2);
    MontgomeryMultiply(P->Y, t2, P->Y);
    BigCopy(one, P->Z);
    P->marker = kPointNormalised;
    return 1;
}

int PointGet(CurvePoint* P, BigNumber x, BigNumber y) {
    if (P->marker == kPointInfinity) {
        BigZero(x);
        if (y != nullptr && y != x) BigZero(y);
        return 0;
    }
    if (ErrorPending()) return 0;
    if (PointNormalise(P) != 1) return -1;
    BigNumber t = Temp(3);
    FromMontgomery(P->Y, t);
    FromMontgomery(P->X, x);
    if (y != nullptr && y != x) BigCopy(t, y);
    return BigRemainderInt(t, 2);
}

void PointCopy(const CurvePoint* a, CurvePoint* b) {
    if (a == b || ErrorPending()) return;
    BigCopy(a->X, b->X);
    BigCopy(a->Y, b->Y);
    if (a->Z == nullptr) {
        if (b->Z != nullptr) SetMontgomeryOne(b->Z);
    } else if (b->Z != nullptr) {
        BigCopy(a->Z, b->Z);
    } else if (a->marker == kPointGeneral) {
        b->Z = NewBig(0);
        if (b->Z != nullptr) BigCopy(a->Z, b->Z);
    }
    b->marker = a->marker;
}

int PointEqual(CurvePoint* a, CurvePoint* b) {
    if (a == b) return 1;
    if (ErrorPending()) return 0;
    BigNumber xa = NewBig(0);
    BigNumber xb = NewBig(0);
    int equal = 0;
    if (xb != nullptr) {
        const int pa = PointGet(a, xa, xa);
        const int pb = PointGet(b, xb, xb);
        equal = !ErrorPending() && pa == pb && BigCompare(xa, xb) == 0;
    }
    FreeBig(xa);
    FreeBig(xb);
    return equal;
}

int PointIsInfinity(const CurvePoint* P) { return P != nullptr && P->marker == kPointInfinity; }

}  // namespace arkseal
