// Negation, doubling and addition of points: in affine coordinates by
// slopes, in Jacobian coordinates by the formulas of jacobian_formulas.h,
// on the general Montgomery numbers or, for a 256-bit field, on four limbs.
//
// Affine doubling and addition: the slope l of the tangent at P, or of the
// line through P and PA, then AddBySlope. H = 0 in a Jacobian addition means
// equal x: the points are equal (R = 0) or opposite.
#include <arkseal/bignum/arithmetic/big_arithmetic.h>
#include <arkseal/bignum/montgomery/montgomery.h>
#include <arkseal/curve/curve_internal.h>
#include <arkseal/curve/curve_point.h>
#include <arkseal/curve/jacobian256.h>
#include <arkseal/curve/jacobian_formulas.h>

namespace arkseal {

using namespace curve_detail;

namespace {

// The four-limb route of the Jacobian doubling and addition: coordinates
// loaded once per operation, the same formulas on four limbs (the same
// residues), results stored back normalised.
void Load(const CurvePoint* P, Jacobian& J, const field256::Field& f) {
    field256::LoadLimbs(P->X, J.X);
    field256::LoadLimbs(P->Y, J.Y);
    // A normalised point, or one without a Z (a sum made in affine mode),
    // holds affine coordinates.
    if (P->Z == nullptr || P->marker == kPointNormalised) {
        field256::Copy(f.one, J.Z);
    } else {
        field256::LoadLimbs(P->Z, J.Z);
    }
}

void Store(const Jacobian& J, CurvePoint* P) {
    field256::StoreLimbs(J.X, P->X);
    field256::StoreLimbs(J.Y, P->Y);
    field256::StoreLimbs(J.Z, P->Z);
    P->marker = kPointGeneral;
}

// P = 2P on the four-limb field, A = -3.
void DoubleJacobian256(const field256::Field& f, CurvePoint* P) {
    Jacobian J;
    Load(P, J, f);
    field256::WithActiveRoute([&](auto ops) { Double<decltype(ops)>(f, J, J); });
    Store(J, P);
}

// PA = PA + P for distinct finite points, PA with a Z. Returns 1 when added,
// 0 (nothing changed) when P equals PA, -1 (nothing changed) when P = -PA.
int AddJacobian256(const field256::Field& f, const CurvePoint* P, CurvePoint* PA) {
    Jacobian p, pa, sum;
    Load(P, p, f);
    Load(PA, pa, f);
    const bool mixed = P->Z == nullptr || P->marker == kPointNormalised;
    Limb hZero = 0, rZero = 0;
    field256::WithActiveRoute([&](auto ops) {
        using Ops = decltype(ops);
        if (mixed) {
            AddFormulas<Ops, true>(f, p, pa, sum, hZero, rZero);
        } else {
            AddFormulas<Ops, false>(f, p, pa, sum, hZero, rZero);
        }
    });
    if (hZero != 0) return rZero != 0 ? 0 : -1;
    Store(sum, PA);
    return 1;
}

// The general Montgomery numbers of the workspace as a field for the
// formulas: coordinates are numbers, temporaries the scratch numbers Temp(0)
// to Temp(5), and zero tests branch.
struct GeneralField {};
constexpr GeneralField kGeneralField;

struct GeneralOps {
    static constexpr bool kVectorUnit = false;

    static void Multiply(GeneralField, const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
        MontgomeryMultiply(x, y, z);
    }
    static void Square(GeneralField, const std::uint32_t* x, BigNumber z) { MontgomeryMultiply(x, x, z); }
    static void Add(GeneralField, const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
        MontgomeryAdd(x, y, z);
    }
    static void Subtract(GeneralField, const std::uint32_t* x, const std::uint32_t* y, BigNumber z) {
        MontgomerySubtract(x, y, z);
    }
    // z = x / 2 mod p for a residue x: (x + p) / 2 for odd x.
    static void Halve(GeneralField, const std::uint32_t* x, BigNumber z) {
        if (BigRemainderInt(x, 2) != 0) {
            BigMagnitudeAdd(x, Workspace().modulus, z);
            BigShiftBits(z, -1, z);
        } else {
            BigShiftBits(x, -1, z);
        }
    }
    static void SetA(GeneralField, BigNumber z) { FieldA(z); }
    static void MultiplyByA(GeneralField, const std::uint32_t* x, BigNumber z) { curve_detail::MultiplyByA(x, z); }
};

}  // namespace

template <>
struct curve_detail::FieldTraits<GeneralField> {
    using Number = BigNumber;
    struct Temporaries {
        explicit Temporaries(GeneralField) {}
        BigNumber operator[](int i) const { return Temp(i); }
    };
    static Limb ZeroMask(const std::uint32_t* x) { return IsZero(x) ? ~Limb{0} : 0; }
    static void Copy(const std::uint32_t* x, BigNumber z) { BigCopy(x, z); }
    static void One(GeneralField, BigNumber z) { SetMontgomeryOne(z); }
    static constexpr bool kBranchesOnValues = true;
};

namespace {

// w = 3 x (two additions, no product).
void Triple(const std::uint32_t* x, BigNumber w) {
    BigNumber t = Temp(5);
    MontgomeryAdd(x, x, t);
    MontgomeryAdd(t, x, w);
}

void DoubleAffine(CurvePoint* P) {
    if (IsZero(P->Y)) {
        SetInfinity(P);
        return;
    }
    BigNumber num = Temp(0), den = Temp(1), l = Temp(2);
    MontgomeryMultiply(P->X, P->X, num);
    Triple(num, num);
    FieldA(den);
    MontgomeryAdd(num, den, num);
    MontgomeryAdd(P->Y, P->Y, den);
    MontgomeryDivide(num, den, l);
    AddBySlope(P, P, l);  // the tangent's slope: P + P
}

template <CurveA a>
void DoubleGeneral(CurvePoint* P) {
    if (P->marker == kPointNormalised) {
        Double<GeneralOps, a, true>(kGeneralField, *P, *P);
    } else {
        Double<GeneralOps, a, false>(kGeneralField, *P, *P);
    }
}

void DoubleJacobian(CurvePoint* P) {
    EnsureZ(P);
    if (IsZero(P->Y)) {
        SetInfinity(P);
        return;
    }
    const int a = Workspace().curveASmall;
    const field256::Field* field = field256::CurrentField();
    if (field != nullptr && a == -3) {
        DoubleJacobian256(*field, P);
        return;
    }
    if (a == -3) {
        DoubleGeneral<CurveA::MinusThree>(P);
    } else if (a == 0) {
        DoubleGeneral<CurveA::Zero>(P);
    } else {
        DoubleGeneral<CurveA::Any>(P);
    }
    P->marker = kPointGeneral;
}

// The general addition of P into PA, P and PA distinct and finite. Returns 0,
// changing nothing, when P equals PA (the caller doubles), else 1.
int AddAffine(const CurvePoint* P, CurvePoint* PA) {
    BigNumber dy = Temp(0), dx = Temp(1), l = Temp(2);
    MontgomerySubtract(P->Y, PA->Y, dy);
    MontgomerySubtract(P->X, PA->X, dx);
    if (IsZero(dx)) {
        if (IsZero(dy)) return 0;
        SetInfinity(PA);
        return 1;
    }
    MontgomeryDivide(dy, dx, l);
    AddBySlope(P, PA, l);
    PA->marker = kPointNormalised;
    return 1;
}

int AddJacobian(const CurvePoint* P, CurvePoint* PA) {
    EnsureZ(PA);
    if (const field256::Field* field = field256::CurrentField()) {
        const int added = AddJacobian256(*field, P, PA);
        if (added < 0) SetInfinity(PA);
        return added != 0;
    }
    // A point without a Z (a sum made in affine mode) holds affine coordinates.
    const bool mixed = P->marker == kPointNormalised || P->Z == nullptr;
    Limb hZero, rZero;
    if (mixed) {
        AddFormulas<GeneralOps, true>(kGeneralField, *P, *PA, *PA, hZero, rZero);
    } else {
        AddFormulas<GeneralOps, false>(kGeneralField, *P, *PA, *PA, hZero, rZero);
    }
    if (hZero != 0) {
        if (rZero != 0) return 0;
        SetInfinity(PA);
        return 1;
    }
    PA->marker = kPointGeneral;
    return 1;
}

}  // namespace

void curve_detail::AddBySlope(const CurvePoint* P, CurvePoint* PA, const std::uint32_t* l) {
    BigNumber x3 = Temp(3), t = Temp(4);
    MontgomeryMultiply(l, l, x3);
    MontgomerySubtract(x3, P->X, x3);
    MontgomerySubtract(x3, PA->X, x3);
    MontgomerySubtract(PA->X, x3, t);
    MontgomeryMultiply(l, t, t);
    MontgomerySubtract(t, PA->Y, PA->Y);
    BigCopy(x3, PA->X);
}

void PointNegate(CurvePoint* P) {
    if (ErrorPending() || P->marker == kPointInfinity) return;
    MontgomeryNegate(P->Y, P->Y);
}

void PointDouble(CurvePoint* P) {
    if (ErrorPending() || P->marker == kPointInfinity) return;
    if (IsAffine()) {
        DoubleAffine(P);
    } else {
        DoubleJacobian(P);
    }
}

void PointAdd(CurvePoint* P, CurvePoint* PA) {
    if (ErrorPending()) return;
    if (P == PA) {
        PointDouble(PA);
    } else if (PA->marker == kPointInfinity) {
        PointCopy(P, PA);
    } else if (P->marker != kPointInfinity) {
        const int added = IsAffine() ? AddAffine(P, PA) : AddJacobian(P, PA);
        if (added == 0) PointDouble(PA);
    }
}

void PointSubtract(CurvePoint* P, CurvePoint* PA) {
    if (ErrorPending()) return;
    if (P == PA) {
        SetInfinity(PA);
    } else if (P->marker != kPointInfinity) {
        PointNegate(P);
        PointAdd(P, PA);
        PointNegate(P);
    }
}

}  // namespace arkseal
