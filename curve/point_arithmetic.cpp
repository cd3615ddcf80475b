// Negation, doubling and addition of points, in affine and Jacobian
// coordinates, on general numbers and, for a 256-bit field with A = -3, on
// four limbs.
//
// Jacobian doubling of (X, Y, Z), with Z2 = Z^2 (one for a normalised point):
//   M = 3 X^2 + A Z2^2      (A = -3: M = 3 (X - Z2)(X + Z2), one product)
//   Z' = 2 Y Z,  T = Y^2,  S = 4 X T,  X' = M^2 - 2 S,  Y' = M (S - X') - 8 T^2
// Jacobian addition of P into PA:
//   U1 = X_PA Z_P^2, S1 = Y_PA Z_P^3, U2 = X_P Z_PA^2, S2 = Y_P Z_PA^3
//   H = U1 - U2, R = S1 - S2, T = U1 + U2, V = S1 + S2
//   Z' = Z_PA Z_P H,  X' = R^2 - H^2 T,  Y' = (R (H^2 T - 2 X') - H^3 V) / 2
// A normalised P has Z_P = 1, which drops four products (mixed addition).
// H = 0 means equal x: the points are equal (R = 0) or opposite.
#include "bignum/big_arithmetic.h"
#include "bignum/montgomery.h"
#include "curve/curve_internal.h"
#include "curve/curve_point.h"
#include "curve/jacobian256.h"

namespace arkseal {

using namespace curve_detail;

namespace {

// The four-limb route of the Jacobian doubling and addition: coordinates
// loaded once per operation, the formulas of jacobian256.h (the ones above,
// giving the same residues), results stored back normalised.
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

// M = 3 X^2 + A Z2^2, where z2 is Z^2 or, for a normalised point, nullptr
// standing for one.
void DoublingSlope(const CurvePoint* P, const std::uint32_t* z2, BigNumber M) {
    const NumberSystem& s = Workspace();
    BigNumber t = Temp(4);
    if (s.curveASmall == -3) {
        BigNumber one = Temp(3);
        if (z2 == nullptr) {
            SetMontgomeryOne(one);
            z2 = one;
        }
        MontgomerySubtract(P->X, z2, t);
        MontgomeryAdd(P->X, z2, M);
        MontgomeryMultiply(M, t, M);
        Triple(M, M);
        return;
    }
    MontgomeryMultiply(P->X, P->X, M);
    Triple(M, M);
    if (s.curveASmall == 0) return;
    if (z2 == nullptr) {
        FieldA(t);
    } else {
        MontgomeryMultiply(z2, z2, t);
        MultiplyByA(t, t);
    }
    MontgomeryAdd(M, t, M);
}

void DoubleJacobian(CurvePoint* P) {
    EnsureZ(P);
    if (IsZero(P->Y)) {
        SetInfinity(P);
        return;
    }
    const field256::Field* field = field256::CurrentField();
    if (field != nullptr && Workspace().curveASmall == -3) {
        DoubleJacobian256(*field, P);
        return;
    }
    BigNumber z2 = Temp(0), M = Temp(1), T = Temp(2), S = Temp(3);
    const bool normalised = P->marker == kPointNormalised;
    if (!normalised) MontgomeryMultiply(P->Z, P->Z, z2);
    DoublingSlope(P, normalised ? nullptr : z2, M);
    if (normalised) {
        MontgomeryAdd(P->Y, P->Y, P->Z);
    } else {
        MontgomeryMultiply(P->Y, P->Z, P->Z);
        MontgomeryAdd(P->Z, P->Z, P->Z);
    }
    MontgomeryMultiply(P->Y, P->Y, T);
    MontgomeryMultiply(P->X, T, S);
    MontgomeryAdd(S, S, S);
    MontgomeryAdd(S, S, S);
    MontgomeryMultiply(M, M, P->X);
    MontgomerySubtract(P->X, S, P->X);
    MontgomerySubtract(P->X, S, P->X);
    MontgomeryMultiply(T, T, T);
    MontgomeryAdd(T, T, T);
    MontgomeryAdd(T, T, T);
    MontgomeryAdd(T, T, T);
    MontgomerySubtract(S, P->X, S);
    MontgomeryMultiply(M, S, P->Y);
    MontgomerySubtract(P->Y, T, P->Y);
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

// y = w / 2 mod p for a residue w.
void Halve(BigNumber w, BigNumber y) {
    if (BigRemainderInt(w, 2) != 0) BigMagnitudeAdd(w, Workspace().modulus, w);
    BigShiftBits(w, -1, y);
}

int AddJacobian(const CurvePoint* P, CurvePoint* PA) {
    EnsureZ(PA);
    if (const field256::Field* field = field256::CurrentField()) {
        const int added = AddJacobian256(*field, P, PA);
        if (added < 0) SetInfinity(PA);
        return added != 0;
    }
    BigNumber t1 = Temp(0), U2 = Temp(1), S2 = Temp(2), t4 = Temp(3), t5 = Temp(4), R = Temp(5);
    MontgomeryMultiply(PA->Z, PA->Z, t1);
    MontgomeryMultiply(P->X, t1, U2);
    MontgomeryMultiply(t1, PA->Z, t1);
    MontgomeryMultiply(P->Y, t1, S2);
    // A point without a Z (a sum made in affine mode) holds affine coordinates.
    const bool mixed = P->marker == kPointNormalised || P->Z == nullptr;
    const std::uint32_t* U1 = PA->X;
    const std::uint32_t* S1 = PA->Y;
    if (!mixed) {
        MontgomeryMultiply(P->Z, P->Z, t1);
        MontgomeryMultiply(PA->X, t1, t4);
        MontgomeryMultiply(t1, P->Z, t1);
        MontgomeryMultiply(PA->Y, t1, t5);
        U1 = t4;
        S1 = t5;
    }
    BigNumber H = t1;
    MontgomerySubtract(U1, U2, H);
    MontgomerySubtract(S1, S2, R);
    if (IsZero(H)) {
        if (IsZero(R)) return 0;
        SetInfinity(PA);
        return 1;
    }
    BigNumber T = U2, V = S2, H2 = t4, H2T = t5;
    MontgomeryAdd(U2, U2, T);
    MontgomeryAdd(T, H, T);  // T = U1 + U2
    MontgomeryAdd(S2, S2, V);
    MontgomeryAdd(V, R, V);  // V = S1 + S2
    MontgomeryMultiply(PA->Z, H, PA->Z);
    if (!mixed) MontgomeryMultiply(PA->Z, P->Z, PA->Z);
    MontgomeryMultiply(H, H, H2);
    MontgomeryMultiply(H2, T, H2T);
    MontgomeryMultiply(H2, H, H2);  // H^3
    MontgomeryMultiply(R, R, PA->X);
    MontgomerySubtract(PA->X, H2T, PA->X);
    MontgomerySubtract(H2T, PA->X, H2T);
    MontgomerySubtract(H2T, PA->X, H2T);
    MontgomeryMultiply(R, H2T, H2T);
    MontgomeryMultiply(H2, V, H2);
    MontgomerySubtract(H2T, H2, H2T);  // W
    Halve(H2T, PA->Y);
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
