// The Jacobian doubling (A = -3) and addition of point_arithmetic.cpp on four
// 64-bit limbs, for a 256-bit field: the same formulas and the same residues,
// without the general numbers' bookkeeping on every step. Coordinates are
// loaded once per operation and stored back normalised.
#include "curve/point_arithmetic256.h"
#include "curve/curve_internal.h"
#include "curve/field256.h"

namespace arkseal::curve_detail {

void DoubleJacobian256(const Field256& f, CurvePoint* P) {
    Limbs X, Y, Z, z2, M, T, S, t;
    LoadLimbs(P->X, X);
    LoadLimbs(P->Y, Y);
    LoadLimbs(P->Z, Z);
    const bool normalised = P->marker == kPointNormalised;
    if (normalised) {
        for (int i = 0; i < 4; ++i) z2[i] = Z[i];  // Z is one
    } else {
        FieldMultiply(f, Z, Z, z2);
    }
    // M = 3 (X - Z^2)(X + Z^2)
    FieldSubtract(f, X, z2, t);
    FieldAdd(f, X, z2, M);
    FieldMultiply(f, M, t, M);
    FieldAdd(f, M, M, t);
    FieldAdd(f, t, M, M);
    // Z' = 2 Y Z
    if (normalised) {
        FieldAdd(f, Y, Y, Z);
    } else {
        FieldMultiply(f, Y, Z, Z);
        FieldAdd(f, Z, Z, Z);
    }
    // T = Y^2, S = 4 X T, X' = M^2 - 2 S
    FieldMultiply(f, Y, Y, T);
    FieldMultiply(f, X, T, S);
    FieldAdd(f, S, S, S);
    FieldAdd(f, S, S, S);
    FieldMultiply(f, M, M, X);
    FieldSubtract(f, X, S, X);
    FieldSubtract(f, X, S, X);
    // Y' = M (S - X') - 8 T^2
    FieldMultiply(f, T, T, T);
    FieldAdd(f, T, T, T);
    FieldAdd(f, T, T, T);
    FieldAdd(f, T, T, T);
    FieldSubtract(f, S, X, S);
    FieldMultiply(f, M, S, Y);
    FieldSubtract(f, Y, T, Y);
    StoreLimbs(X, P->X);
    StoreLimbs(Y, P->Y);
    StoreLimbs(Z, P->Z);
    P->marker = kPointGeneral;
}

int AddJacobian256(const Field256& f, const CurvePoint* P, CurvePoint* PA) {
    Limbs XA, YA, ZA, XP, YP, U1, S1, U2, S2, H, R, t;
    LoadLimbs(PA->X, XA);
    LoadLimbs(PA->Y, YA);
    LoadLimbs(PA->Z, ZA);
    LoadLimbs(P->X, XP);
    LoadLimbs(P->Y, YP);
    // A point without a Z (a sum made in affine mode) holds affine coordinates.
    const bool mixed = P->marker == kPointNormalised || P->Z == nullptr;
    Limbs ZP = {};
    // U2 = X_P Z_PA^2, S2 = Y_P Z_PA^3
    FieldMultiply(f, ZA, ZA, t);
    FieldMultiply(f, XP, t, U2);
    FieldMultiply(f, t, ZA, t);
    FieldMultiply(f, YP, t, S2);
    if (mixed) {
        for (int i = 0; i < 4; ++i) U1[i] = XA[i], S1[i] = YA[i];
    } else {
        LoadLimbs(P->Z, ZP);
        FieldMultiply(f, ZP, ZP, t);
        FieldMultiply(f, XA, t, U1);
        FieldMultiply(f, t, ZP, t);
        FieldMultiply(f, YA, t, S1);
    }
    FieldSubtract(f, U1, U2, H);
    FieldSubtract(f, S1, S2, R);
    if (LimbsZero(H)) return LimbsZero(R) ? 0 : -1;
    // T = U1 + U2 = H + 2 U2 (in U2), V = S1 + S2 = R + 2 S2 (in S2)
    FieldAdd(f, U2, U2, U2);
    FieldAdd(f, U2, H, U2);
    FieldAdd(f, S2, S2, S2);
    FieldAdd(f, S2, R, S2);
    FieldMultiply(f, ZA, H, ZA);
    if (!mixed) FieldMultiply(f, ZA, ZP, ZA);
    // X' = R^2 - H^2 T, W = R (H^2 T - 2 X') - H^3 V, Y' = W / 2
    FieldMultiply(f, H, H, U1);
    FieldMultiply(f, U1, U2, S1);
    FieldMultiply(f, U1, H, U1);
    FieldMultiply(f, R, R, XA);
    FieldSubtract(f, XA, S1, XA);
    FieldSubtract(f, S1, XA, S1);
    FieldSubtract(f, S1, XA, S1);
    FieldMultiply(f, R, S1, S1);
    FieldMultiply(f, U1, S2, U1);
    FieldSubtract(f, S1, U1, S1);
    FieldHalve(f, S1, YA);
    StoreLimbs(XA, PA->X);
    StoreLimbs(YA, PA->Y);
    StoreLimbs(ZA, PA->Z);
    PA->marker = kPointGeneral;
    return 1;
}

}  // namespace arkseal::curve_detail
